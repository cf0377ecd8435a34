// What the download worker shows beyond a single transfer: the bars over
// all items, the rows it has finished, the tray tip and the boxes of the
// updater's own download. Called on the worker's thread; the page's
// implementation hands each call on to its own thread, so none blocks.
#pragma once

#include <string>

#include "download/transfer_view.h"

namespace quibo {

class DownloadView : public TransferView {
public:
    // The overall bar.
    virtual void SetTotalRange(int maximum) = 0;
    virtual void SetTotalProgress(int value) = 0;
    // The current-file bar's range.
    virtual void SetFileRange(int maximum) = 0;
    // Checks the row's box and scrolls the list when the row is past its end.
    virtual void ItemDone(int row) = 0;
    // The tray tip's whole text.
    virtual void SetTrayTip(const std::string& text) = 0;
    // An information box of the updater's own download (not in a silent run).
    virtual void ShowInfo(const std::string& text) = 0;
};

}  // namespace quibo
