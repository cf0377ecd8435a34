// A download page with nothing to draw, for the transfer benchmarks: it only
// counts how often progress was shown.
#pragma once

#include <string>

#include "download/transfer_view.h"

using namespace quibo;

class CountingView : public TransferView {
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
