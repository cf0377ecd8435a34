// The configuration texts the publisher writes, in code page 936 with CR LF
// line ends as the updater reads them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/signing/folder_list.h"
#include "core/signing/release_trust.h"
#include "publish/release_description.h"

namespace quibo::publish {

// What publishing found out about one item.
struct PublishedItem {
    const ReleaseItem* item = nullptr;
    std::string url;          // base + "/" + the escaped name
    std::string md5;          // file items: 32 lower-case hex digits
    std::string installName;  // file items: the name the updater installs it under
    std::string sha256;       // file items: 64 lower-case hex digits
    std::uint64_t size = 0;   // file items
    std::vector<ListedFile> listed;  // folder items: what a client fetches, for "dirN.lst"
};

// The address an item is fetched from and the name it is installed under.
PublishedItem DescribePublished(const ReleaseItem& item, const std::string& baseUrl);

// "server.dat": [meta], one section per item, then [system] and [UI].
std::string ServerText(const Release& release, const std::vector<PublishedItem>& items, const ReleaseMeta& meta);
// "client.dat": the server package's address and every item at `clientVer`;
// with keys in `trust` also its pubkey, product and sequence.
std::string ClientText(const Release& release, const std::string& serverUrl, const std::string& clientVer,
                       const ReleaseTrust& trust);
// "pre.dat": the run log on.
std::string PreText();

}  // namespace quibo::publish
