#include "platform/PlasmaWallpaper.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <utility>

#include "platform/FileUri.h"
#include "platform/PlatformLog.h"

namespace {

constexpr const char* PluginKey = ".wallpaperPlugin";
constexpr const char* ImageKey = ".Image";
constexpr const char* ModeKey = ".FillMode";
constexpr int DefaultFillMode = 2;

const QString ImageGroup = QStringLiteral("[\"Wallpaper\", \"org.kde.image\", \"General\"]");

// JSON is a JavaScript literal once the two line separators older engines refuse are
// escaped.
QString ScriptLiteral(const QJsonArray& value) {
    QString literal = QString::fromUtf8(QJsonDocument(value).toJson(QJsonDocument::Compact));
    literal.replace(QChar(0x2028), QStringLiteral("\\u2028"));
    literal.replace(QChar(0x2029), QStringLiteral("\\u2029"));
    return literal;
}

}  // namespace

PlasmaWallpaper::PlasmaWallpaper(std::unique_ptr<DBusCaller> caller) : caller_(std::move(caller)) {}

QString PlasmaWallpaper::RecordScript() {
    return QStringLiteral(
               "var all = desktops(), out = [];\n"
               "for (var i = 0; i < all.length; ++i) {\n"
               "    var d = all[i];\n"
               "    d.currentConfigGroup = %1;\n"
               "    out.push([d.id, String(d.wallpaperPlugin), String(d.readConfig(\"Image\", "
               "\"\")), Number(d.readConfig(\"FillMode\", %2))]);\n"
               "}\n"
               "print(JSON.stringify(out));\n")
        .arg(ImageGroup)
        .arg(DefaultFillMode);
}

QString PlasmaWallpaper::SetScript(const std::vector<MonitorPicture>& pictures) {
    QJsonArray places;
    for (const MonitorPicture& picture : pictures) {
        places.append(QJsonArray{picture.X, picture.Y, picture.Width, picture.Height,
                                 QString::fromStdString(FileUri::FromPath(picture.Path))});
    }
    return QStringLiteral("var pictures = %1, mode = %2;\n")
               .arg(ScriptLiteral(places))
               .arg(Stretch) +
           QStringLiteral(
               "var all = desktops();\n"
               "for (var i = 0; i < all.length; ++i) {\n"
               "    var d = all[i], uri = pictures[0][4];\n"
               "    try {\n"
               "        var g = screenGeometry(d.screen);\n"
               "        for (var j = 0; j < pictures.length; ++j) {\n"
               "            var p = pictures[j];\n"
               "            if (g.x == p[0] && g.y == p[1] && g.width == p[2] && g.height == p[3]) "
               "uri = p[4];\n"
               "        }\n"
               "    } catch (e) {}\n"
               "    d.wallpaperPlugin = \"org.kde.image\";\n"
               "    d.currentConfigGroup = %1;\n"
               "    d.writeConfig(\"Image\", uri);\n"
               "    d.writeConfig(\"FillMode\", mode);\n"
               "}\n")
               .arg(ImageGroup);
}

QString PlasmaWallpaper::RestoreScript(const RecordedWallpaper& recorded) {
    QJsonArray saved;
    for (const auto& [key, value] : recorded.Values) {
        const std::size_t dot = key.find('.');
        if (dot == std::string::npos || key.compare(dot, std::string::npos, PluginKey) != 0) {
            continue;
        }
        const std::string id = key.substr(0, dot);
        QJsonArray desktop{QString::fromStdString(id).toInt(), QString::fromStdString(value),
                           QString(), DefaultFillMode};
        for (const auto& [otherKey, otherValue] : recorded.Values) {
            if (otherKey == id + ImageKey && !recorded.Picture.empty()) {
                desktop[2] = QString::fromStdString(otherValue);
            } else if (otherKey == id + ModeKey) {
                bool isNumber = false;
                const int mode = QString::fromStdString(otherValue).toInt(&isNumber);
                desktop[3] = isNumber ? mode : DefaultFillMode;
            }
        }
        saved.append(desktop);
    }
    return QStringLiteral("var saved = %1;\n").arg(ScriptLiteral(saved)) +
           QStringLiteral(
               "for (var i = 0; i < saved.length; ++i) {\n"
               "    var d = desktopById(saved[i][0]);\n"
               "    if (!d) continue;\n"
               "    d.wallpaperPlugin = saved[i][1];\n"
               "    d.currentConfigGroup = %1;\n"
               "    d.writeConfig(\"Image\", saved[i][2]);\n"
               "    d.writeConfig(\"FillMode\", saved[i][3]);\n"
               "}\n")
               .arg(ImageGroup);
}

std::optional<QString> PlasmaWallpaper::Evaluate(const QString& script) {
    const std::optional<QVariantList> reply = caller_->Call({QStringLiteral("org.kde.plasmashell"),
                                                             QStringLiteral("/PlasmaShell"),
                                                             QStringLiteral("org.kde.PlasmaShell"),
                                                             QStringLiteral("evaluateScript"),
                                                             {script}});
    if (!reply) {
        qCWarning(lcPlatform) << "KDE Plasma: the shell did not run the script";
        return std::nullopt;
    }
    return reply->isEmpty() ? QString() : reply->front().toString();
}

std::optional<RecordedWallpaper> PlasmaWallpaper::Record() {
    const std::optional<QString> output = Evaluate(RecordScript());
    if (!output) {
        return std::nullopt;
    }
    const QJsonDocument document = QJsonDocument::fromJson(output->trimmed().toUtf8());
    if (!document.isArray()) {
        qCWarning(lcPlatform) << "KDE Plasma: unexpected answer" << *output;
        return std::nullopt;
    }
    RecordedWallpaper recorded;
    for (const QJsonValue& entry : document.array()) {
        const QJsonArray desktop = entry.toArray();
        if (desktop.size() != 4 || !desktop[0].isDouble()) {
            qCWarning(lcPlatform) << "KDE Plasma: unexpected answer" << *output;
            return std::nullopt;
        }
        const std::string id = std::to_string(desktop[0].toInt());
        const std::string image = desktop[2].toString().toStdString();
        if (recorded.Values.empty()) {
            recorded.Picture = FileUri::ToPath(image);
        }
        recorded.Values.emplace_back(id + PluginKey, desktop[1].toString().toStdString());
        recorded.Values.emplace_back(id + ImageKey, image);
        recorded.Values.emplace_back(id + ModeKey, std::to_string(desktop[3].toInt()));
    }
    return recorded;
}

bool PlasmaWallpaper::Set(const std::string& picturePath) {
    return SetEach({MonitorPicture::ForAll(picturePath)});
}

bool PlasmaWallpaper::SetEach(const std::vector<MonitorPicture>& pictures) {
    return !pictures.empty() && Evaluate(SetScript(pictures)).has_value();
}

bool PlasmaWallpaper::Restore(const RecordedWallpaper& recorded) {
    return Evaluate(RestoreScript(recorded)).has_value();
}
