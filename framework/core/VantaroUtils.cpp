#include "framework/core/VantaroUtils.h"

#include <QFileInfo>
#include <algorithm>
#include <cstring>

#include "framework/core/ProcessLauncher.h"
#include "framework/core/TextTrim.h"

namespace korvex {
namespace {

// Byte room for kSettingMaxChars characters of up to 4 UTF-8 bytes each.
constexpr int32_t kReadBytes = kSettingMaxChars * 4;

// The first `count` code points of `text` (a surrogate pair is one character).
QString FirstCharacters(const QString& text, int count) {
    qsizetype units = 0;
    for (int chars = 0; chars < count && units < text.size(); ++chars) {
        const bool pair = text.at(units).isHighSurrogate() && units + 1 < text.size() &&
                          text.at(units + 1).isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return text.left(units);
}

}  // namespace

QString SettingsPath(const QString& root, const QString& key, const QString& subkey) {
    QString path = QStringLiteral("Software\\Vantaro\\") + root;
    if (!key.isEmpty()) path += QLatin1Char('\\') + key;
    if (!subkey.isEmpty()) path += QLatin1Char('\\') + subkey;
    return path;
}

QString ReadSetting(const LinkTable& link, const QString& root, const QString& key,
                    const QString& subkey, const QString& name, const QString& defaultValue) {
    if (!link.ReadFromRegHKCU) return defaultValue;
    const QByteArray path = SettingsPath(root, key, subkey).toUtf8();
    const QByteArray valueName = name.toUtf8();
    char buffer[kReadBytes + 1] = {};
    int32_t length = kReadBytes;
    if (link.ReadFromRegHKCU(path.constData(), valueName.constData(), buffer, &length) != 0) {
        return defaultValue;
    }
    // `length` is the value's full length; only what fits in the buffer was copied.
    const auto copied = static_cast<int32_t>(std::min<std::size_t>(
        strnlen(buffer, kReadBytes), static_cast<std::size_t>(std::clamp(length, 0, kReadBytes))));
    const QString text =
        TrimSpaces(FirstCharacters(QString::fromUtf8(buffer, copied), kSettingMaxChars));
    return text.isEmpty() ? defaultValue : text;
}

bool SaveSetting(const LinkTable& link, const QString& root, const QString& key,
                 const QString& subkey, const QString& name, const QString& value) {
    if (!link.SaveToRegHKCU) return false;
    return link.SaveToRegHKCU(SettingsPath(root, key, subkey).toUtf8().constData(),
                              name.toUtf8().constData(), value.toUtf8().constData()) == 0;
}

int32_t RunScript(const QString& path, ProcessLauncher& launcher) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) return 0;
    // A path that starts with "-" would be read by the shell as an option.
    const QString argument = path.startsWith(QLatin1Char('-')) ? QStringLiteral("./") + path : path;
    const int64_t pid = launcher.StartDetached(QStringLiteral("/bin/sh"), {argument});
    return pid > 0 && pid <= INT32_MAX ? static_cast<int32_t>(pid) : 0;
}

int32_t RunScript(const QString& path) {
    DetachedProcessLauncher launcher;
    return RunScript(path, launcher);
}

}  // namespace korvex
