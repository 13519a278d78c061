#pragma once

#include <QString>
#include <QVariantList>
#include <chrono>
#include <optional>

// One method call on the session bus.
struct DBusCall {
    QString Service;
    QString Path;
    QString Interface;
    QString Method;
    QVariantList Arguments;
};

// How the D-Bus backends talk to a desktop; the tests put a recording caller in its place.
class DBusCaller {
public:
    virtual ~DBusCaller() = default;
    // The reply's arguments; nullopt for an error reply, a missing service or a time-out.
    virtual std::optional<QVariantList> Call(const DBusCall& call) = 0;
};

class SessionBusCaller : public DBusCaller {
public:
    explicit SessionBusCaller(std::chrono::milliseconds timeout = std::chrono::seconds(10))
        : timeout_(timeout) {}

    std::optional<QVariantList> Call(const DBusCall& call) override;

private:
    std::chrono::milliseconds timeout_;
};
