// The application manifest built into update.exe: it runs with the rights of
// whoever starts it, draws with the version 6 common controls, and names the
// systems it was made for (without them newer Windows versions run it in a
// compatibility mode that misreports the version).
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using Attributes = std::map<std::string, std::string>;

// update.exe beside this test program.
std::string UpdaterPath()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1) + "update.exe";
}

// The text of resource RT_MANIFEST 1, the one the loader reads for a program;
// empty when there is none.
std::string ReadManifest(const std::string& program)
{
    HMODULE module = ::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return "";
    std::string text;
    if (HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {  // RT_MANIFEST
        HGLOBAL loaded = ::LoadResource(module, found);
        const char* bytes = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
        if (bytes) text.assign(bytes, ::SizeofResource(module, found));
    }
    ::FreeLibrary(module);
    return text;
}

// The attributes of every element named `name` ("<name a="1" b='2'/>"),
// in order; enough XML for a manifest, whose values hold no quotes.
std::vector<Attributes> Elements(const std::string& xml, const std::string& name)
{
    std::vector<Attributes> found;
    const std::string open = "<" + name;
    for (size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1)) {
        size_t end = xml.find('>', at);
        char next = xml[at + open.size()];
        if (end == std::string::npos ||
            !(next == ' ' || next == '\t' || next == '\r' || next == '\n' || next == '/' || next == '>'))
            continue;
        Attributes attributes;
        std::string tag = xml.substr(at + open.size(), end - at - open.size());
        for (size_t eq = tag.find('='); eq != std::string::npos; eq = tag.find('=', eq + 1)) {
            size_t nameEnd = tag.find_last_not_of(" \t\r\n", eq - 1) + 1;
            size_t nameStart = tag.find_last_of(" \t\r\n", nameEnd - 1) + 1;
            size_t quote = tag.find_first_of("\"'", eq);
            size_t close = quote == std::string::npos ? quote : tag.find(tag[quote], quote + 1);
            if (close == std::string::npos) break;
            attributes[tag.substr(nameStart, nameEnd - nameStart)] = tag.substr(quote + 1, close - quote - 1);
            eq = close;
        }
        found.push_back(attributes);
    }
    return found;
}

class UpdaterManifest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manifest = ReadManifest(UpdaterPath());
        ASSERT_FALSE(manifest.empty()) << "no manifest resource 1 in " << UpdaterPath();
    }
    std::string manifest;
};

TEST_F(UpdaterManifest, RunsAsInvokerWithoutUiAccess)
{
    auto levels = Elements(manifest, "requestedExecutionLevel");
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_EQ(levels[0]["level"], "asInvoker");
    EXPECT_EQ(levels[0]["uiAccess"], "false");
}

TEST_F(UpdaterManifest, DependsOnCommonControlsVersion6)
{
    bool found = false;
    for (auto& identity : Elements(manifest, "assemblyIdentity")) {
        if (identity["name"] != "Microsoft.Windows.Common-Controls") continue;
        found = true;
        EXPECT_EQ(identity["type"], "win32");
        EXPECT_EQ(identity["version"], "6.0.0.0");
        EXPECT_EQ(identity["publicKeyToken"], "6595b64144ccf1df");
        EXPECT_EQ(identity["processorArchitecture"], "*");  // right for the 32- and the 64-bit build alike
    }
    EXPECT_TRUE(found) << manifest;
}

TEST_F(UpdaterManifest, NamesEverySystemFromVistaToWindows10)
{
    std::set<std::string> ids;
    for (auto& os : Elements(manifest, "supportedOS")) ids.insert(os["Id"]);
    const std::set<std::string> expected = {
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
    };
    EXPECT_EQ(ids, expected);
}

// The pages are laid out in pixels from the skin: the system is left to scale
// the whole window on a high-DPI screen rather than the program claiming it
// draws at any DPI itself.
TEST_F(UpdaterManifest, LeavesDpiScalingToTheSystem)
{
    EXPECT_TRUE(Elements(manifest, "dpiAware").empty());
    EXPECT_TRUE(Elements(manifest, "dpiAwareness").empty());
}

}  // namespace
