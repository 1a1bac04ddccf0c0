// The serial port as a POSIX descriptor: opened under the lock file that
// QSerialPort and other serial programs honour, put in raw mode, and driven
// by PosixSerialLink. QSerialPort itself is not used here: its open gives
// the port up when the driver refuses a speed or framing it does not need,
// and a lock left by a killed program keeps it out for half a minute.
// Nor is QLockFile: the lock it makes shows empty for a moment, and such a
// lock is taken for one whose writer died (port_lock.h).
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstring>
#include <functional>
#include <memory>

#include "device/port_lock.h"
#include "device/port_lock_file.h"
#include "device/posix_serial_link.h"
#include "device/qt_serial_link.h"

namespace varnelo {

namespace {

constexpr qint64 MAX_LOCK_CONTENT = 4096;

// "ttyACM0" is a device under /dev; anything with a slash is a path already.
std::string DevicePath(const std::string& portName) {
    return portName.find('/') == std::string::npos ? "/dev/" + portName : portName;
}

QString LockPath(const std::string& devicePath) {
    const QString name = QString::fromStdString(LockFileName(devicePath));
    QStringList folders;
    for (const std::string& folder : LockFolders()) folders << QString::fromStdString(folder);
    folders << QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    for (const QString& folder : folders) {
        const QFileInfo info(folder);
        const QString path = folder + QLatin1Char('/') + name;
        if (info.isReadable() && (QFile::exists(path) || info.isWritable())) return path;
    }
    return {};
}

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

bool ProcessGone(long pid) {
    if (::kill(static_cast<pid_t>(pid), 0) != 0) return errno == ESRCH;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray text = stat.read(MAX_LOCK_CONTENT);
    return ProcessStatSaysEnded(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

// A lock, or the lock on its removal (QLockFile's), that names a process no
// longer running is removed; a live one stays. One that cannot be read
// counts as naming nobody.
void ClearStaleLock(const QString& lockPath) {
    const std::string host = HostName();
    for (const QString& path : {lockPath + QStringLiteral(".rmlock"), lockPath}) {
        const QFileInfo info(path);
        if (!info.exists()) continue;
        const std::chrono::seconds age{info.lastModified().secsTo(QDateTime::currentDateTime())};
        std::string content;
        if (!ReadPortLock(path.toStdString(), content, MAX_LOCK_CONTENT)) content.clear();
        if (LockIsStale(content, host, age, ProcessGone)) QFile::remove(path);
    }
}

std::string InUse(const std::string& portName, const std::string& lockPath) {
    std::string text = "cannot open " + portName + ": the port is in use by another program";
    std::string content;
    const auto holder = ReadPortLock(lockPath, content) ? ReadLockHolder(content) : std::nullopt;
    if (holder) {
        text += " (process " + std::to_string(holder->pid);
        if (!holder->program.empty()) text += ", " + QFileInfo(QString::fromStdString(holder->program)).fileName().toStdString();
        text += ")";
    }
    return text;
}

std::string ProgramName() {
    const QString name = QCoreApplication::instance() ? QCoreApplication::applicationName() : QString();
    return name.isEmpty() ? std::string("varnelo") : name.toStdString();
}

// The lock this process holds on its port, given back when the port closes.
class HeldLock {
public:
    explicit HeldLock(std::string path) : m_path(std::move(path)) {}
    ~HeldLock() { GivePortLockBack(m_path); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

private:
    std::string m_path;
};

Status::Cause CauseOf(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO: return Status::Cause::PortMissing;
        case EACCES:
        case EPERM: return Status::Cause::PortPermission;
        case EBUSY: return Status::Cause::PortInUse;
        default: return Status::Cause::Other;
    }
}

std::string OpenError(const std::string& portName, const std::string& devicePath, int error) {
    const std::string prefix = "cannot open " + portName + ": ";
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO: return prefix + "no such port";
        case EACCES:
        case EPERM:
            return prefix + "permission denied: " + devicePath +
                   " — add yourself to the dialout group (sudo usermod -aG dialout $USER, then log in again), "
                   "or install the package's udev rule";
        case EBUSY: return prefix + "the port is in use by another program";
        default: return prefix + std::strerror(error);
    }
}

// Applies one change of the line settings; a refusal leaves them as they were.
bool Settle(int fd, termios& settled, const std::function<void(termios&)>& change) {
    termios wanted = settled;
    change(wanted);
    if (::tcsetattr(fd, TCSANOW, &wanted) == 0) {
        settled = wanted;
        return true;
    }
    const int refusal = errno;
    ::tcsetattr(fd, TCSANOW, &settled);
    errno = refusal;
    return false;
}

// The open port: its descriptor, its lock and the settings to restore.
class PosixPort : public ByteLink {
public:
    PosixPort(int fd, std::unique_ptr<HeldLock> lock, const termios& original)
        : m_fd(fd), m_lock(std::move(lock)), m_original(original), m_exchanges(fd) {}
    ~PosixPort() override {
        ::tcsetattr(m_fd, TCSANOW, &m_original);
        ::ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);
    }
    PosixPort(const PosixPort&) = delete;
    PosixPort& operator=(const PosixPort&) = delete;

    std::size_t write(std::span<const std::uint8_t> bytes, Deadline deadline) override {
        return m_exchanges.write(bytes, deadline);
    }
    std::size_t read(std::uint8_t* buffer, std::size_t n, Deadline deadline) override {
        return m_exchanges.read(buffer, n, deadline);
    }
    void discardInput() override { m_exchanges.discardInput(); }
    bool inputPending() override { return m_exchanges.inputPending(); }
    bool gone() const override { return m_exchanges.gone(); }

private:
    int m_fd;
    std::unique_ptr<HeldLock> m_lock;
    termios m_original;
    PosixSerialLink m_exchanges;
};

}  // namespace

OpenedPort OpenSerialPort(const std::string& portName) {
    const std::string path = DevicePath(portName);
    OpenedPort opened;

    std::unique_ptr<HeldLock> lock;
    const QString lockPath = LockPath(path);
    if (!lockPath.isEmpty()) {
        // Staleness is judged here, by the holder; by age alone a live
        // program's lock would be taken from it.
        ClearStaleLock(lockPath);
        const std::string lockFile = lockPath.toStdString();
        int error = 0;
        switch (TakePortLock(lockFile, LockContent(::getpid(), ProgramName(), HostName()), error)) {
            case LockTaking::Taken: lock = std::make_unique<HeldLock>(lockFile); break;
            case LockTaking::Held:
                return {nullptr, PortRefusal(portName, InUse(portName, lockFile), Status::Cause::PortInUse)};
            case LockTaking::Unwritable:
                // A lock folder that cannot be written keeps no one out.
                opened.notes.push_back("no lock file could be made at " + lockFile + ": " + std::strerror(error));
                break;
        }
    }

    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        return {nullptr, PortRefusal(portName, OpenError(portName, path, error), CauseOf(error), std::strerror(error))};
    }
    // Other programs of this user are kept out while the port is ours.
    ::ioctl(fd, TIOCEXCL);

    termios original{};
    if (::tcgetattr(fd, &original) != 0) {
        const int error = errno;
        ::close(fd);
        const std::string why = std::strerror(error);
        return {nullptr, PortRefusal(portName, "cannot open " + portName + ": not a serial port (" + why + ")",
                                     Status::Cause::PortNotSerial, why)};
    }
    termios settled = original;
    // Raw mode is not optional: a terminal that echoed, translated line ends
    // or took bytes as signals would corrupt every reply.
    const bool raw = Settle(fd, settled, [](termios& t) {
        t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
        t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
        t.c_cflag |= CLOCAL | CREAD;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
    });
    if (!raw) {
        const int error = errno;
        ::close(fd);
        const std::string why = std::strerror(error);
        return {nullptr, PortRefusal(portName, "cannot open " + portName + ": the driver refused raw mode (" + why + ")",
                                     Status::Cause::PortRawRefused, why)};
    }
    // A USB virtual port ignores the line settings; a real UART needs them.
    // A driver that refuses one (some USB bridges do) is used as it is.
    const auto tried = [&](bool done, const char* what) {
        if (!done) opened.notes.push_back(std::string("the driver refused ") + what + "; the port is used as it is");
    };
    tried(Settle(fd, settled,
                 [](termios& t) {
                     t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
                     t.c_cflag |= CS8;
                 }),
          "8 data bits, no parity, one stop bit");
    tried(Settle(fd, settled,
                 [](termios& t) {
                     ::cfsetispeed(&t, B115200);
                     ::cfsetospeed(&t, B115200);
                 }),
          "115200 baud");
    tried(Settle(fd, settled,
                 [](termios& t) {
                     t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
                     t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
                 }),
          "no flow control");
    // Whatever an earlier client left unread would shift every reply.
    ::tcflush(fd, TCIOFLUSH);
    opened.link = std::make_unique<PosixPort>(fd, std::move(lock), original);
    return opened;
}

}  // namespace varnelo
