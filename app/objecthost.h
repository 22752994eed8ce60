#pragma once

#include <functional>
#include <map>
#include <memory>

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantList>

// Creates objects by class identifier (such as "USB_ActiveX.USB") for the
// program, which then calls their methods by name. The program's own host
// finds the classes in the plugins installed with it; tests register
// in-process classes instead.
class ObjectHost {
public:
    virtual ~ObjectHost() = default;

    // A new object of the class, owned by the caller; nullptr when no class
    // of that identifier can be had (lastError() says why).
    virtual std::unique_ptr<QObject> create(const QString& classId) = 0;

    virtual QString lastError() const = 0;
};

// The outcome of a call by name.
struct MethodCall {
    bool ok = false;  // the method was found and called
    QVariant result;  // its result; empty for a method without one
    QString error;    // why the call was not made
};

// Calls the invokable method or slot `name` of `object` with `arguments`,
// each converted to the parameter's type (an int for a short parameter, a
// QObject* for a pointer to an object). A method returning QVariant gives
// that QVariant itself as the result. Nothing is called, and `ok` is false,
// when the object is null, has no method of that name taking that many
// arguments, or an argument does not convert.
MethodCall callMethod(QObject* object, const char* name, const QVariantList& arguments = {});

// Classes registered in the program itself, for tests and for a program
// built without plugins.
class RegisteredObjectHost final : public ObjectHost {
public:
    using Factory = std::function<std::unique_ptr<QObject>()>;

    void registerClass(const QString& classId, Factory factory);

    std::unique_ptr<QObject> create(const QString& classId) override;
    QString lastError() const override { return lastError_; }

    // How many objects were created, for tests.
    int created() const { return created_; }

private:
    std::map<QString, Factory> factories_;
    QString lastError_;
    int created_ = 0;
};
