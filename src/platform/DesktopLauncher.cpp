// GIO first: its headers use names that Qt would otherwise claim as macros.
#include <gio/gdesktopappinfo.h>
#include "base/PathText.h"
#include <gio/gio.h>

#include "DesktopLauncher.h"
#include "PlatformLog.h"

#include <QByteArrayView>
#include <QFile>

#include <memory>
#include <optional>

namespace Shell {
namespace {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
struct KeyFileFree {
    void operator()(GKeyFile* keyFile) const { g_key_file_free(keyFile); }
};

template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectUnref>;
using GCharPtr = std::unique_ptr<gchar, GFree>;
using KeyFilePtr = std::unique_ptr<GKeyFile, KeyFileFree>;

const char* const DesktopEntry = "Desktop Entry";

// Well-known players' own options, for players that offer no desktop action for the verb.
// Only options these players document are used; an empty option list means that opening
// the file already does what the verb asks (VLC, Audacious and SMPlayer replace the
// playlist and play what they are given).
//   VLC          Enqueue: --playlist-enqueue   Play: (none)
//   Audacious    Enqueue: --enqueue            Play: (none)
//   Clementine   Enqueue: --append             Play: --load --play (replace, then play)
//   Strawberry   Enqueue: --append             Play: --load --play
//   SMPlayer     Enqueue: -add-to-playlist     Play: (none)
struct PlayerOption {
    const char* desktopId;
    const char* verb;
    const char* options;
};

constexpr PlayerOption PlayerOptions[] = {
    {"vlc.desktop", "Enqueue", "--playlist-enqueue"},
    {"vlc.desktop", "Play", ""},
    {"org.videolan.VLC.desktop", "Enqueue", "--playlist-enqueue"},
    {"org.videolan.VLC.desktop", "Play", ""},
    {"audacious.desktop", "Enqueue", "--enqueue"},
    {"audacious.desktop", "Play", ""},
    {"org.atheme.audacious.desktop", "Enqueue", "--enqueue"},
    {"org.atheme.audacious.desktop", "Play", ""},
    {"clementine.desktop", "Enqueue", "--append"},
    {"clementine.desktop", "Play", "--load --play"},
    {"org.clementine_player.Clementine.desktop", "Enqueue", "--append"},
    {"org.clementine_player.Clementine.desktop", "Play", "--load --play"},
    {"org.strawberrymusicplayer.strawberry.desktop", "Enqueue", "--append"},
    {"org.strawberrymusicplayer.strawberry.desktop", "Play", "--load --play"},
    {"smplayer.desktop", "Enqueue", "-add-to-playlist"},
    {"smplayer.desktop", "Play", ""},
    {"info.smplayer.SMPlayer.desktop", "Enqueue", "-add-to-playlist"},
    {"info.smplayer.SMPlayer.desktop", "Play", ""},
};

bool equalsIgnoringCase(const QString& a, const char* b) {
    return a.compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0;
}

// True when the application lists the type (or an alias of it) itself, or GIO recommends it
// for that exact type; an application reached through a parent type does not count.
bool handlesExactly(GAppInfo* app, const char* type) {
    if (const char* const* types = g_app_info_get_supported_types(app)) {
        for (; *types; ++types) {
            if (g_content_type_equals(*types, type))
                return true;
        }
    }
    GList* recommended = g_app_info_get_recommended_for_type(type);
    bool found = false;
    for (GList* item = recommended; item && !found; item = item->next)
        found = g_app_info_equal(app, G_APP_INFO(item->data));
    g_list_free_full(recommended, g_object_unref);
    return found;
}

QByteArray idOf(GAppInfo* app) {
    return QByteArray(g_app_info_get_id(app));
}

GObjectPtr<GAppInfo> defaultPlayer() {
    const QByteArray type = PlaylistMimeType.toUtf8();
    GObjectPtr<GAppInfo> app(g_app_info_get_default_for_type(type.constData(), FALSE));
    if (!app) {
        qCWarning(lcPlatform) << "no default application for" << type;
        return nullptr;
    }
    if (!handlesExactly(app.get(), type.constData())) {
        qCWarning(lcPlatform) << "the default application for" << type << "is" << idOf(app.get())
                              << "only through a parent type";
        return nullptr;
    }
    return app;
}

ShellResult launch(GAppInfo* app, const QString& file) {
    GObjectPtr<GFile> location(g_file_new_for_path(pathBytes(file).constData()));
    GList files{};
    files.data = location.get();
    GError* error = nullptr;
    const bool launched = g_app_info_launch(app, &files, nullptr, &error);
    if (!launched)
        qCWarning(lcPlatform) << "launching" << idOf(app) << "with" << file
                              << "failed:" << (error ? error->message : "no reason given");
    g_clear_error(&error);
    return launched ? ShellResult::Launched : ShellResult::LaunchFailed;
}

// Index of the first file field code (%f %F %u %U) in an Exec line, or -1.
qsizetype fileCodeIndex(const QByteArray& exec) {
    for (qsizetype i = 0; i + 1 < exec.size(); ++i) {
        if (exec[i] != '%')
            continue;
        if (QByteArrayView("fFuU").contains(exec[i + 1]))
            return i;
        ++i; // "%%" and other codes
    }
    return -1;
}

// Puts options in front of the argument that takes the file (and in front of a Flatpak
// "@@u" forwarding marker), so wrappers such as "flatpak run" or "env" keep working.
QByteArray withOptions(const QByteArray& exec, const QByteArray& options) {
    const qsizetype code = fileCodeIndex(exec);
    if (code < 0)
        return exec + ' ' + options; // GIO appends the file itself
    qsizetype at = exec.lastIndexOf(' ', code) + 1;
    const QByteArray before = exec.left(at).trimmed();
    if (before.endsWith(" @@u") || before.endsWith(" @@f") || before.endsWith(" @@"))
        at = before.lastIndexOf(' ') + 1;
    return exec.left(at) + options + ' ' + exec.mid(at);
}

KeyFilePtr loadDesktopFile(GAppInfo* app) {
    if (!G_IS_DESKTOP_APP_INFO(app))
        return nullptr;
    const char* fileName = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(app));
    KeyFilePtr keyFile(g_key_file_new());
    const auto flags = GKeyFileFlags(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS);
    if (!fileName || !g_key_file_load_from_file(keyFile.get(), fileName, flags, nullptr))
        return nullptr;
    return keyFile;
}

QByteArray keyFileString(GKeyFile* keyFile, const QByteArray& group, const char* key) {
    GCharPtr value(g_key_file_get_string(keyFile, group.constData(), key, nullptr));
    return value ? QByteArray(value.get()) : QByteArray();
}

bool actionMatches(GAppInfo* app, const char* action, const QString& verb) {
    if (equalsIgnoringCase(verb, action))
        return true;
    GCharPtr name(g_desktop_app_info_get_action_name(G_DESKTOP_APP_INFO(app), action));
    return name && *name.get() && equalsIgnoringCase(verb, name.get());
}

// The Exec line of the first desktop action named by the verb that takes a file.
std::optional<QByteArray> actionExec(GAppInfo* app, GKeyFile* desktopFile, const QString& verb) {
    const gchar* const* actions = g_desktop_app_info_list_actions(G_DESKTOP_APP_INFO(app));
    for (; actions && *actions; ++actions) {
        if (!actionMatches(app, *actions, verb))
            continue;
        const QByteArray group = QByteArrayLiteral("Desktop Action ") + *actions;
        const QByteArray exec = keyFileString(desktopFile, group, "Exec");
        if (fileCodeIndex(exec) >= 0)
            return exec;
    }
    return std::nullopt;
}

std::optional<QByteArray> playerOptions(GAppInfo* app, const QString& verb) {
    const QByteArray id = g_app_info_get_id(app);
    for (const PlayerOption& entry : PlayerOptions) {
        if (id == entry.desktopId && equalsIgnoringCase(verb, entry.verb))
            return QByteArray(entry.options);
    }
    return std::nullopt;
}

// The application as its desktop file describes it, but running another command line;
// D-Bus activation is dropped, as it would ignore that command line.
ShellResult launchWithExec(GKeyFile* desktopFile, const QByteArray& exec, const QString& file) {
    g_key_file_set_string(desktopFile, DesktopEntry, "Exec", exec.constData());
    g_key_file_remove_key(desktopFile, DesktopEntry, "DBusActivatable", nullptr);
    GObjectPtr<GDesktopAppInfo> variant(g_desktop_app_info_new_from_keyfile(desktopFile));
    if (!variant) {
        // GIO refuses a command whose program is missing.
        qCWarning(lcPlatform) << "GIO refuses the command" << exec;
        return ShellResult::LaunchFailed;
    }
    return launch(G_APP_INFO(variant.get()), file);
}

ShellResult launchVerb(GAppInfo* app, const QString& verb, const QString& file) {
    const KeyFilePtr desktopFile = loadDesktopFile(app);
    if (!desktopFile) {
        qCWarning(lcPlatform) << "the desktop file of" << idOf(app) << "cannot be read";
        return ShellResult::NoAssociation;
    }
    if (const auto exec = actionExec(app, desktopFile.get(), verb))
        return launchWithExec(desktopFile.get(), *exec, file);
    const auto options = playerOptions(app, verb);
    if (!options) {
        qCWarning(lcPlatform) << idOf(app) << "has no action for the verb" << verb;
        return ShellResult::NoAssociation;
    }
    if (options->isEmpty())
        return launch(app, file);
    const QByteArray exec = keyFileString(desktopFile.get(), DesktopEntry, "Exec");
    return launchWithExec(desktopFile.get(), withOptions(exec, *options), file);
}

} // namespace

ShellResult openWithVerb(const QString& verb, const QString& file) {
    const GObjectPtr<GAppInfo> app = defaultPlayer();
    if (!app)
        return ShellResult::NoAssociation;
    const ShellResult result = verb.compare(QLatin1String("open"), Qt::CaseInsensitive) == 0
                                   ? launch(app.get(), file)
                                   : launchVerb(app.get(), verb, file);
    // A failure was logged with its cause where it happened.
    if (result == ShellResult::Launched)
        qCDebug(lcPlatform) << "handed" << file << "to" << idOf(app.get()) << "with the verb"
                            << verb;
    return result;
}

} // namespace Shell
