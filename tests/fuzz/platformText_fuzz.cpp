// libFuzzer target over what the system tells the program as text: the machine
// identifier, the version text and the locale names (built with -DVELMORA_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/linuxHostServices.h"
#include "host/osFunctions.h"
#include "support/languageCodes.h"

namespace {

// The platform with its system texts taken from the input.
class CfuzzedSystem : public ClinuxHostServices {
  public:
    Cstring platformId() override { return id; }
    Cstring systemVersionText() override { return version; }
    std::vector<Cstring> preferredLocales() override { return locales; }
    Cstring id, version;
    std::vector<Cstring> locales;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static CfuzzedSystem system;
    setHostServices(&system);
    // Fields separated by NUL bytes: identifier, version text, then locale names.
    std::string text(reinterpret_cast<char const*>(data), size);
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); i++) {
        if (i == text.size() || text[i] == 0) {
            fields.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    system.id = fields[0].c_str();
    system.version = fields.size() > 1 ? fields[1].c_str() : "";
    system.locales.clear();
    for (size_t f = 2; f < fields.size(); f++)
        system.locales.push_back(fields[f].c_str());

    Cstring id = OS::buildMachineID();
    if (!id.empty() && (id.size() != 24 || id.substr(0, 2) != "m_")) __builtin_trap();
    OS::getOsVersion();
    if (languageCodeToLanguageNumber(OS::getSystemLanguage()) < 0) __builtin_trap();
    if (OS::getCountry(true).size() != 2) __builtin_trap();
    OS::getCountry(false);
    return 0;
}
