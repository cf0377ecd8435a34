#include "core/config/ui_skin.h"

#include "core/config/config_read.h"
#include "core/log/run_log.h"

namespace quibo {

namespace {

class SkinReader {
public:
    SkinReader(CConfigIni& ini, const DirConstants& dirs) : ini_(ini), dirs_(dirs) {}

    void ReadPage(UiSkin& skin, int n)
    {
        section_ = "win" + std::to_string(n);
        Read("attr");
        skin.windows[n] = {Rect(), Color("clrbk"), Int("show")};
        for (int i = 0; i < 2; ++i) {
            Read("image" + std::to_string(i));
            skin.images[n][i] = {Rect(), Text("bmpfile"), Int("show")};
            Read("button" + std::to_string(i));
            skin.buttons[n][i] = {Rect(), Text("text")};
        }
        for (int i = 0; i < 4; ++i) {
            Read("static" + std::to_string(i));
            StaticSkin& s = skin.statics[n][i];
            s.show = Int("show");
            s.rect = Rect();
            s.text = Text("text");
            s.url = Text("url");
            s.clrtext = Color("clrtext");
            s.clrnormal = Color("clrnormal");
            s.clrHover = Color("clrHover");
            s.norUnderline = Int("nor_underline");
            s.hovUnderline = Int("hov_underline");
            s.fontsize = Int("fontsize");
            s.fontweight = Int("fontweight");
            s.fontitalic = Int("fontitalic");
            s.fontunderline = Int("fontunderline");
        }
        if (n == 0) {
            skin.lists[0] = Control("list");
        } else if (n == 1) {
            skin.lists[1] = Control("list");
            skin.richEdits[0] = Control("rich_edit");
            for (int i = 0; i < 2; ++i) {
                skin.progress[i] = Control("progress" + std::to_string(i));
                skin.status[i] = Control("status" + std::to_string(i));
            }
        } else if (n == 3) {
            skin.richEdits[1] = Control("rich_edit");
            skin.progress[2] = Control("progress0");
            skin.status[2] = Control("status0");
        }
    }

    std::string ReadUiKey(const char* key, const char* defaultValue)
    {
        return ReadConfigString(ini_, "UI", key, defaultValue, dirs_);
    }

private:
    void Read(const std::string& key) { attributes_ = ReadConfigString(ini_, section_, key, "", dirs_); }
    std::string Text(const char* name) const { return GetAttribute(attributes_, name); }
    int Int(const char* name) const { return ParseInt(Text(name), 0); }
    std::uint32_t Color(const char* name) const { return ParseColor(Text(name), 0); }
    SkinRect Rect() const { return ParseRect(Text("rect")); }
    ControlSkin Control(const std::string& key)
    {
        Read(key);
        return {Rect(), Int("show")};
    }

    CConfigIni& ini_;
    const DirConstants& dirs_;
    std::string section_;
    std::string attributes_;
};

}  // namespace

bool LoadUiSkin(UiSkin& skin, const std::optional<std::string>& uiText, const ConfigContext& context,
                ShowType showType, ConfigSeam& seam)
{
    if (!uiText) {
        ShowInfoUnlessSilent(seam, showType, "错误：没有找到配置文件:" + context.packageName);
        return false;
    }
    CConfigIni ini;
    if (!ini.LoadText(*uiText)) {
        ShowInfoUnlessSilent(seam, showType, "错误：界面配置解析错误！");
        return false;
    }

    // The skin's many keys would only bury the run's own lines.
    LogMute mute;
    SkinReader reader(ini, context.dirs);
    skin = UiSkin();
    for (int n = 0; n < kSkinPageCount; ++n) reader.ReadPage(skin, n);
    skin.title = reader.ReadUiKey("title", "自动升级程序");
    skin.sysicon = reader.ReadUiKey("sysicon", "");
    return true;
}

}  // namespace quibo
