#include "publish/package_texts.h"

#include "core/signing/public_keys.h"
#include "publish/publish_text.h"

namespace quibo::publish {

namespace {

void Put(std::string& text, const std::string& key, const std::string& value)
{
    text += key + "=" + value + "\r\n";
}

void PutSection(std::string& text, const std::string& name) { text += "[" + name + "]\r\n"; }

const std::string* Find(const KeyValues& keys, const std::string& key)
{
    for (const auto& kv : keys)
        if (kv.first == key) return &kv.second;
    return nullptr;
}

}  // namespace

PublishedItem DescribePublished(const ReleaseItem& item, const std::string& baseUrl)
{
    PublishedItem p;
    p.item = &item;
    const std::string escaped = EscapeUrlSegment(item.source);
    p.url = baseUrl + "/" + escaped;
    if (item.kind == ItemKind::File) {
        // Without "rename" the updater installs the file under the address's
        // last segment, which is the escaped text: name it plainly instead.
        const std::string* rename = Find(item.keys, "rename");
        p.installName = rename && !rename->empty() ? *rename : *Utf8ToCp936(item.source);
    }
    return p;
}

std::string ServerText(const Release& release, const std::vector<PublishedItem>& items, const ReleaseMeta& meta)
{
    std::string text;
    PutSection(text, "meta");
    Put(text, "product", meta.product);
    Put(text, "sequence", std::to_string(meta.sequence));
    if (meta.expires) Put(text, "expires", FormatUtcTime(*meta.expires));
    for (const PublishedItem& p : items) {
        const ReleaseItem& item = *p.item;
        PutSection(text, ItemSection(item.kind, item.index));
        Put(text, "ver", item.ver);
        Put(text, "urls", "url0=" + p.url);
        for (const auto& kv : item.keys)
            if (kv.first != "rename") Put(text, kv.first, kv.second);
        if (item.kind == ItemKind::File) {
            Put(text, "md5", p.md5);
            if (p.installName != EscapeUrlSegment(item.source)) Put(text, "rename", p.installName);
            Put(text, "sha256", p.sha256);
            Put(text, "size", std::to_string(p.size));
        }
    }
    PutSection(text, "system");
    for (const auto& kv : release.system) Put(text, kv.first, kv.second);
    PutSection(text, "UI");
    for (const auto& kv : release.ui) Put(text, kv.first, kv.second);
    return text;
}

std::string ClientText(const Release& release, const std::string& serverUrl, const std::string& clientVer,
                       const ReleaseTrust& trust)
{
    std::string text;
    PutSection(text, "system");
    Put(text, "urls", "url0=" + serverUrl);
    if (trust.RequiresSignature()) {
        std::string keys;
        for (const PublicKey& key : trust.keys) keys += (keys.empty() ? "" : ";;") + FormatPublicKey(key);
        Put(text, "pubkey", keys);
        Put(text, "product", trust.product);
        Put(text, "sequence", std::to_string(trust.sequence));
    }
    for (const ReleaseItem& item : release.items) {
        PutSection(text, ItemSection(item.kind, item.index));
        Put(text, "ver", clientVer);
    }
    return text;
}

std::string PreText() { return "[pre]\r\ncloselog=0\r\n"; }

}  // namespace quibo::publish
