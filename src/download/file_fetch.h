// One file item fetched from its addresses in turn until a transfer
// succeeds and the file matches the item's signed size and SHA-256, or,
// without them, its md5 when it has one. Shared by the download and the
// updater's own download, which differ in their texts.
#pragma once

#include <string>

#include "core/config/show_type.h"
#include "core/config/update_item.h"
#include "core/config/url_parse.h"
#include "download/download_session.h"
#include "download/download_view.h"
#include "download/transfer_control.h"
#include "download/transfer_limits.h"

namespace quibo {

enum class FetchEnd { Done, Failed, Stopped };

struct FetchContext {
    TransferControl& control;
    DownloadView& view;
    DownloadSession& session;
    HttpLimits httpLimits;
    FtpLimits ftpLimits;
};

// The next address of an item, taken out of its lists (at random with
// randomsel), with "%20" in its path as a blank and one trailing separator
// removed.
struct TakenAddress {
    UrlAddress address;
    ParsedUrl parsed;
    bool last = false;  // no address is left after this one
};
TakenAddress TakeAddress(UpdateItem& item);

// Connects to the address's FTP server, showing "正在连接服务器......"
// when a new connection is needed.
bool ConnectFor(FetchContext& context, const TakenAddress& taken);

enum class FetchStyle { Item, SelfUpdate };

// Fetches `item` into `localPath` on list row `row`. The local file is
// removed before every attempt and after a mismatch, so a file left by an
// earlier attempt is never taken for the new one; except that an item with
// a checksum continues a file over HTTP where it broke off, and when the
// joined file fails it, it is fetched once more from byte 0 from the same
// address. A signed item's transfer never writes more than its size.
FetchEnd FetchFileItem(FetchContext& context, UpdateItem& item, const std::string& localPath, int row,
                       FetchStyle style, ShowType showType = ShowType::Normal);

}  // namespace quibo
