#pragma once

// The one interface a control plugin exports to the program. Header only:
// a plugin implements it without linking anything of the program, and the
// program finds it in a loaded plugin by its identifier.
//
// A plugin names the class identifiers it provides in its metadata file,
//     { "classIds": ["USB_ActiveX.USB"] }
// so that the program can pick the plugin for an identifier before it
// loads any code.

#include <QObject>
#include <QString>
#include <QtPlugin>

class ControlFactory {
public:
    virtual ~ControlFactory() = default;

    // A new instance of the control registered as `classId`, owned by the
    // caller; nullptr when this plugin provides no such class. Its methods
    // are called by name.
    virtual QObject* create(const QString& classId) = 0;
};

#define TORVANEL_CONTROL_FACTORY_IID "org.torvanel.ControlFactory/1.0"
Q_DECLARE_INTERFACE(ControlFactory, TORVANEL_CONTROL_FACTORY_IID)
