// Everything the configurations say about one run: the client configuration,
// the items, the server addresses and the settings merged from the server
// configuration.
#pragma once

#include <array>
#include <vector>

#include "core/config/config_ini.h"
#include "core/config/page_switches.h"
#include "core/config/show_type.h"
#include "core/config/system_hooks.h"
#include "core/config/update_item.h"
#include "core/config/url_entry.h"
#include "core/signing/release_trust.h"

namespace quibo {

// Whether the wizard waits for the user (manual) or goes on by itself.
enum class OpMode { Manual, Automatic };

struct UpdateConfig {
    // Kept for the whole run: the installation writes new versions into it.
    CConfigIni client;
    std::array<UpdateItem, kFileItemCount> files;
    std::array<UpdateItem, kDirItemCount> dirs;

    // Where the server configuration may be fetched; tried addresses are removed.
    std::vector<UrlAddress> serverAddresses;
    bool serverRandomSel = false;  // try the server addresses in random order

    ReleaseTrust trust;                  // keys, product and last sequence of the client
    std::optional<ReleaseMeta> release;  // [meta] of the accepted signed package
    // Whether this run has said that it takes server packages unverified;
    // carried from pass to pass.
    bool unsignedNoticeLogged = false;

    ShowType showType = ShowType::Normal;  // least silent level among the newer items
    OpMode opMode = OpMode::Automatic;     // manual as soon as one newer item asks for it
    int newVersionCount = 0;
    bool closeProcesses = false;  // some newer item needs related programs closed
    int selfUpdateIndex = -1;     // file item that is the updater's own program
    int packageIndex = -1;        // file item that is its configuration package

    SystemHooks system;
    PageSwitches pages;

    UpdateItem& Item(ItemKind kind, int index) { return kind == ItemKind::File ? files[index] : dirs[index]; }
};

}  // namespace quibo
