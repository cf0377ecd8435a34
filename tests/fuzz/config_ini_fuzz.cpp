// Configuration text from outside (packages, servers) through the INI reader:
// load, query, edit and render, checking the invariants that callers rely on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/config/config_ini.h"

using namespace quibo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first line names section, key and value for the queries and edits.
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t lf = input.find('\n');
    std::string probe = lf == std::string::npos ? input : input.substr(0, lf);
    std::string text = lf == std::string::npos ? std::string() : input.substr(lf + 1);
    size_t a = probe.find('|'), b = a == std::string::npos ? a : probe.find('|', a + 1);
    std::string section = probe.substr(0, a);
    std::string key = a == std::string::npos ? "k" : probe.substr(a + 1, b - a - 1);
    std::string value = b == std::string::npos ? "v" : probe.substr(b + 1);

    CConfigIni ini;
    if (!ini.LoadText(text)) return 0;
    ini.GetString(section, key, "default", 1);
    ini.GetString(section, key, "default", 2);
    ini.GetInt(section, key, 7);

    // Rendering and reloading is stable.
    std::string once = ini.ToText();
    CConfigIni again;
    if (!once.empty() && again.LoadText(once) && again.ToText() != once) std::abort();

    ini.SetValue(section, key, value);
    // A value set under a plain name reads back (blanks around it are trimmed by the format).
    bool plain = !section.empty() && section.find_first_of("[]\r\n\t\v\f ") == std::string::npos &&
                 key.find_first_of("[=\r\n\t\v\f ") == std::string::npos && !key.empty() &&
                 value.find_first_of("\r\n\t\v\f ") == std::string::npos && !value.empty();
    if (plain && ini.GetString(section, key, "") != value) std::abort();
    ini.SetValue(section, key, "");
    ini.ToText();
    return 0;
}
