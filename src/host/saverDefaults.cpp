#include "host/saverDefaults.h"

#include <glib.h>

#include <cstdlib>

#include "host/linuxHostServices.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"

uint8_t gUseAllScreens = 1;
int keptUseAllScreens = -1;

namespace {

constexpr char const* kGroup = "Velmora";
constexpr char const* kUseAllScreens = "Use All Screens";
constexpr char const* kHeadsUpDisplay = "Heads Up Display";

Cstring configFolder() {
    char const* xdg = std::getenv("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid by the XDG rules and is ignored.
    if (xdg && xdg[0] == '/') return Cstring(xdg) + "/velmora/";
    // Never a shared folder: without a home there is no file.
    Cstring home = homeFolder();
    return home.empty() ? home : home + ".config/velmora/";
}

bool readBoolean(GKeyFile* file, char const* key) {
    GError* error = nullptr;
    gboolean value = g_key_file_get_boolean(file, kGroup, key, &error);
    if (error) {
        g_error_free(error);
        return false;
    }
    return value != FALSE;
}

void noteFailure(char const* what, GError* error) {
    if (masterOut.is_open()) masterOut << what << (error ? error->message : "") << std::endl;
    if (error) g_error_free(error);
}

} // namespace

Cstring saverDefaultsPath() {
    Cstring folder = configFolder();
    return folder.empty() ? folder : folder + "saver-defaults.conf";
}

int parseSaverDefaults(char const* text, size_t size, CsaverDefaults& out, Cstring& error) {
    out = CsaverDefaults();
    GKeyFile* file = g_key_file_new();
    GError* failure = nullptr;
    int result = 0;
    if (!g_key_file_load_from_data(file, text ? text : "", text ? size : 0, G_KEY_FILE_NONE, &failure)) {
        error = failure ? failure->message : "not a key file";
        if (failure) g_error_free(failure);
        result = 1;
    } else {
        out.useAllScreens = readBoolean(file, kUseAllScreens);
        out.headsUpDisplay = readBoolean(file, kHeadsUpDisplay);
    }
    g_key_file_free(file);
    return result;
}

int readSaverDefaults(CsaverDefaults& out) {
    out = CsaverDefaults();
    Cstring path = saverDefaultsPath();
    gchar* text = nullptr;
    gsize size = 0;
    GError* failure = nullptr;
    if (!g_file_get_contents(path.c_str(), &text, &size, &failure)) {
        noteFailure("saver defaults not read: ", failure);
        return 1;
    }
    Cstring error;
    int result = parseSaverDefaults(text, size, out, error);
    g_free(text);
    if (result && masterOut.is_open()) masterOut << "saver defaults not read: " << error << std::endl;
    return result;
}

int writeSaverDefaults(CsaverDefaults const& values) {
    Cstring folder = configFolder();
    if (g_mkdir_with_parents(folder.c_str(), 0700) != 0) {
        noteFailure("saver defaults folder not made: ", nullptr);
        return 1;
    }
    Cstring path = saverDefaultsPath();
    GKeyFile* file = g_key_file_new();
    // Other keys survive; a file that does not read is replaced whole.
    if (!g_key_file_load_from_file(file, path.c_str(), G_KEY_FILE_KEEP_COMMENTS, nullptr)) {
        g_key_file_free(file);
        file = g_key_file_new();
    }
    g_key_file_set_boolean(file, kGroup, kUseAllScreens, values.useAllScreens);
    g_key_file_set_boolean(file, kGroup, kHeadsUpDisplay, values.headsUpDisplay);
    GError* failure = nullptr;
    // Written to a temporary file and renamed over the old one.
    bool saved = g_key_file_save_to_file(file, path.c_str(), &failure);
    g_key_file_free(file);
    if (!saved) {
        saySaveFailed(path.c_str(), failure ? failure->message : nullptr,
                      "the sheet's other options stay as they were");
        noteFailure("saver defaults not written: ", failure);
        return 1;
    }
    saySaveWorked(path.c_str());
    return 0;
}
