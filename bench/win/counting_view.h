// A download page with nothing to draw, for the transfer benchmarks: it only
// counts how often progress was shown. CountingView serves one transfer,
// CountingDownloadView the whole download step.
#pragma once

#include <string>

#include "download/download_view.h"
#include "download/transfer_view.h"

using namespace quibo;

template <typename View>
class Counting : public View {
public:
    void SetFileProgress(int) override {}
    bool IsFolderRow(int) override { return false; }
    void AppendToRowName(int, const std::string&) override {}
    void SetRowProgress(int, int) override {}
    void SetRowSpeed(int, const std::string&) override {}
    void SetInfoText(const std::string&) override { ++reports; }
    void SetTrayText(const std::string&) override {}
    void SetStatus(const std::string&) override {}

    long reports = 0;
};

using CountingView = Counting<TransferView>;

class CountingDownloadView : public Counting<DownloadView> {
public:
    void SetTotalRange(int) override {}
    void SetTotalProgress(int) override {}
    void SetFileRange(int) override {}
    void ItemDone(int) override {}
    void SetTrayTip(const std::string&) override {}
    void ShowInfo(const std::string&) override {}
};
