#pragma once
// The desktop around a run: keeping it from sleeping while a run goes on, and a notification
// when a run ends. Absent services are not an error: nothing happens then.

#include <QDBusUnixFileDescriptor>
#include <QString>

namespace reelvane {

// Holds logind's sleep and idle block and the screensaver's inhibit for as long as it lives.
class SleepInhibitor {
public:
    explicit SleepInhibitor(const QString& reason);
    ~SleepInhibitor();
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;

    bool held() const { return lock_.isValid() || cookie_ != 0; }

private:
    QDBusUnixFileDescriptor lock_; // logind releases the block when this descriptor closes
    uint cookie_ = 0;
};

// A desktop notification; false when no notification service answered.
bool NotifyDesktop(const QString& summary, const QString& body);

} // namespace reelvane
