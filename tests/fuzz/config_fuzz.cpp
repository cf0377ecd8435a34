// Feeds client.dat, server.dat and ui.dat texts through the whole
// configuration parse. The input holds the three texts separated by NUL bytes;
// missing parts are empty.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/startup/command_line.h"
#include "core/config/load_configurations.h"
#include "core/config/ui_skin.h"
#include "core/config/update_check.h"
#include "core/config/url_parse.h"
#include "core/text/code_page.h"
#include "../native/fake_release_crypto.h"
#include "../native/stored_archive.h"

using namespace quibo;

namespace {

// Every fetcher answers with the server text for some addresses only, so the
// address loop runs on.
class FuzzSeam : public ConfigSeam {
public:
    explicit FuzzSeam(const std::string& serverText)
        : server_(ziptest::StoredArchive({{"server.dat", serverText}}))
    {
    }
    std::string ProductName() override { return "Acme"; }
    std::string FileVersionText() override { return "1.0"; }
    std::string FetchConfigHttp(const std::string& url) override { return Answer(url); }
    std::string FetchConfigFtp(const std::string& url, const std::string&, const std::string&) override
    {
        return Answer(url);
    }
    std::string FetchConfigLocal(const std::string& path) override { return Answer(path); }
    ReleaseCrypto& Crypto() override { return crypto_; }
    UtcSeconds Now() override { return 1700000000; }
    int Random() override { return static_cast<int>(++calls_ * 7919u % 32768u); }
    void ShowInfoBox(const std::string&) override {}

private:
    std::string Answer(const std::string& key) { return key.size() % 3 == 0 ? std::string() : server_; }
    std::string server_;  // a package holding the text
    unsigned calls_ = 0;
    fakecrypto::FakeCrypto crypto_;
};

std::string_view TakePart(std::string_view& input)
{
    size_t nul = input.find('\0');
    std::string_view part = input.substr(0, nul);
    input = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
    return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string client(TakePart(input));
    std::string server(TakePart(input));
    std::string ui(TakePart(input));

    ConfigContext context;
    context.programFolder = "C:\\Acme\\";
    context.programFileName = "update.exe";
    context.packageName = "update.bin";
    context.dirs.values = {"C:",
                           "C:\\",
                           "C:\\Windows",
                           "C:\\Windows\\system32",
                           "C:\\Temp",
                           "C:\\Program Files",
                           "C:\\Windows\\Fonts",
                           "",
                           "C:\\Desktop"};

    FuzzSeam seam(server);
    UpdateConfig config;
    if (LoadConfigurations(config, context, client, seam)) {
        UiSkin skin;
        LoadUiSkin(skin, ui, context, config.showType, seam);
        if (CompareVersions(config)) CheckSelfUpdate(config, context);
        for (const UpdateItem& item : config.files)
            for (const UrlAddress& address : item.addresses) ParseUrl(address.url);
    }

    // The same bytes as a command line, and as code page 936 text.
    ReadCommandLine(client);
    FindLastChar(client, '\\', TextCharset::CodePage936);
    FindText(client, "{pf}", 0, TextCharset::CodePage936);
    return 0;
}
