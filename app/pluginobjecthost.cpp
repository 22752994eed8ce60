#include "app/pluginobjecthost.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>

#include "app/controlfactory.h"

PluginObjectHost::PluginObjectHost(QStringList folders) : folders_(std::move(folders)) {}

PluginObjectHost::~PluginObjectHost() = default;

QStringList PluginObjectHost::defaultFolders(const QString& executableFolder,
                                             const QString& pluginSubdir,
                                             const QString& installedPluginFolder) {
    QStringList folders;
    const auto add = [&folders](const QString& path) {
        if (path.isEmpty()) return;
        const QString clean = QDir::cleanPath(QDir(path).absolutePath());
        if (!folders.contains(clean)) folders.append(clean);
    };
    const QDir exe(executableFolder);
    add(exe.filePath(QStringLiteral("plugins")));
    add(exe.filePath(QStringLiteral("../") + pluginSubdir));
    add(installedPluginFolder);
    return folders;
}

void PluginObjectHost::scan() {
    if (scanned_) return;
    scanned_ = true;
    for (const QString& folder : folders_) {
        const QDir dir(folder);
        const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
        for (const QFileInfo& entry : entries) {
            if (!QLibrary::isLibrary(entry.fileName())) continue;
            // Reading the metadata does not run any of the plugin's code.
            QPluginLoader probe(entry.absoluteFilePath());
            const QJsonObject meta = probe.metaData();
            if (meta.value(QLatin1String("IID")).toString() !=
                QLatin1String(TORVANEL_CONTROL_FACTORY_IID)) {
                continue;
            }
            const QJsonArray ids = meta.value(QLatin1String("MetaData"))
                                       .toObject()
                                       .value(QLatin1String("classIds"))
                                       .toArray();
            for (const auto& id : ids) {
                const QString classId = id.toString();
                if (!classId.isEmpty() && !files_.count(classId)) {
                    files_[classId] = entry.absoluteFilePath();
                }
            }
        }
    }
}

QString PluginObjectHost::pluginFile(const QString& classId) {
    scan();
    const auto it = files_.find(classId);
    return it == files_.end() ? QString() : it->second;
}

std::unique_ptr<QObject> PluginObjectHost::create(const QString& classId) {
    lastError_.clear();
    const QString file = pluginFile(classId);
    if (file.isEmpty()) {
        lastError_ = QStringLiteral("no plugin provides %1 (looked in %2)")
                         .arg(classId, folders_.join(QStringLiteral(", ")));
        return nullptr;
    }
    auto& loader = loaders_[file];
    if (!loader) loader = std::make_unique<QPluginLoader>(file);
    QObject* root = loader->instance();
    auto* factory = qobject_cast<ControlFactory*>(root);
    if (!factory) {
        lastError_ =
            QStringLiteral("the plugin %1 cannot be loaded: %2").arg(file, loader->errorString());
        return nullptr;
    }
    std::unique_ptr<QObject> object(factory->create(classId));
    if (!object) {
        lastError_ = QStringLiteral("the plugin %1 made no %2").arg(file, classId);
    }
    return object;
}
