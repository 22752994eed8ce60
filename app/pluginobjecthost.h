#pragma once

#include <map>
#include <memory>

#include <QStringList>

#include "app/objecthost.h"

class QPluginLoader;

// Creates objects from the control plugins installed with the program.
//
// Each plugin file in the folders is asked for its metadata first, without
// loading its code; a plugin that names the wanted class identifier in its
// "classIds" and exports the control factory interface is then loaded and
// asked for an instance. Folders are searched in order, so a build tree's
// plugins come before installed ones. Loaded plugins stay loaded for the
// life of the host: the objects they made run their code.
class PluginObjectHost final : public ObjectHost {
public:
    explicit PluginObjectHost(QStringList folders);
    ~PluginObjectHost() override;

    PluginObjectHost(const PluginObjectHost&) = delete;
    PluginObjectHost& operator=(const PluginObjectHost&) = delete;

    std::unique_ptr<QObject> create(const QString& classId) override;
    QString lastError() const override { return lastError_; }

    // The plugin file that provides the class; empty when none does.
    QString pluginFile(const QString& classId);

    const QStringList& folders() const { return folders_; }

    // Where the program looks for plugins, given the folder of its
    // executable: "plugins" beside it (a build tree), the plugin folder of
    // the prefix it is installed in, and the plugin folder it was built for.
    // `pluginSubdir` is that folder relative to a prefix, such as
    // "lib/torvanel/plugins".
    static QStringList defaultFolders(const QString& executableFolder, const QString& pluginSubdir,
                                      const QString& installedPluginFolder);

private:
    void scan();

    QStringList folders_;
    bool scanned_ = false;
    // class identifier -> plugin file, the first found winning
    std::map<QString, QString> files_;
    std::map<QString, std::unique_ptr<QPluginLoader>> loaders_;
    QString lastError_;
};
