#include "platform/serial.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/settings.h"

namespace platform {

namespace {

bool ToSpeed(int baud, speed_t& speed) {
    static const struct {
        int baud;
        speed_t speed;
    } table[] = {{300, B300},     {600, B600},     {1200, B1200},   {2400, B2400},
                 {4800, B4800},   {9600, B9600},   {19200, B19200}, {38400, B38400},
                 {57600, B57600}, {115200, B115200}};
    for (const auto& e : table) {
        if (e.baud == baud) {
            speed = e.speed;
            return true;
        }
    }
    return false;
}

bool ParseInt(const std::string& s, int& out) {
    if (s.empty() || s.size() > 9) return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(' ');
    return s.substr(a, b - a + 1);
}

// The program file a process runs ("/proc/self" for this one); empty when
// it cannot be seen (a process of another user).
std::string ProgramOf(const std::string& proc) {
    char buf[4096];
    const ssize_t n = ::readlink((proc + "/exe").c_str(), buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

}  // namespace

std::string DeviceHolder(const std::string& device) {
    const std::string self = ProgramOf("/proc/self");
    if (self.empty()) return "";
    DIR* dir = ::opendir("/proc");
    if (!dir) return "";
    std::string holder;
    while (const dirent* e = ::readdir(dir)) {
        const std::string pid = e->d_name;
        if (pid.find_first_not_of("0123456789") != std::string::npos ||
            pid == std::to_string(::getpid()))
            continue;
        const std::string proc = "/proc/" + pid;
        if (ProgramOf(proc) != self || !ProcessHasOpen(pid, device)) continue;
        // Its command line: the arguments end in NUL each; the program by
        // its file name alone.
        std::string args;
        ReadFile(proc + "/cmdline", args);
        while (!args.empty() && args.back() == '\0') args.pop_back();
        const size_t end = args.find('\0');
        std::string program = args.substr(0, end);
        program = program.substr(program.rfind('/') + 1);
        std::string rest = end == std::string::npos ? "" : args.substr(end + 1);
        std::replace(rest.begin(), rest.end(), '\0', ' ');
        holder = "pid " + pid + ": " + program + (rest.empty() ? "" : " " + rest);
        break;
    }
    ::closedir(dir);
    return holder;
}

std::string DeviceGroup(const std::string& device) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0 || st.st_gid == 0) return "";
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) return "";
    const group* g = ::getgrgid(st.st_gid);
    return g && g->gr_name ? std::string(g->gr_name) : std::string();
}

bool ParseSerialSettings(const std::string& text, SerialSettings& out) {
    std::string parts[4];
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        size_t comma = text.find(',', start);
        if ((comma == std::string::npos) != (i == 3)) return false;
        parts[i] = Trim(text.substr(start, comma == std::string::npos ? std::string::npos
                                                                      : comma - start));
        start = comma + 1;
    }
    SerialSettings s;
    speed_t speed;
    if (!ParseInt(parts[0], s.baud) || !ToSpeed(s.baud, speed)) return false;
    if (parts[1].size() != 1) return false;
    s.parity = static_cast<char>(parts[1][0] | 0x20);
    if (s.parity != 'n' && s.parity != 'e' && s.parity != 'o') return false;
    if (!ParseInt(parts[2], s.dataBits) || s.dataBits < 5 || s.dataBits > 8) return false;
    if (!ParseInt(parts[3], s.stopBits) || (s.stopBits != 1 && s.stopBits != 2)) return false;
    out = s;
    return true;
}

TermiosSerialPort::TermiosSerialPort(int commPort) : commPort_(commPort) {}

TermiosSerialPort::~TermiosSerialPort() { SetPortOpen(false); }

bool TermiosSerialPort::Fail(const std::string& what) {
    error_ = what;
    errorNumber_ = errno;
    reason_ = errno ? std::strerror(errno) : "";
    if (errno) error_ += ": " + reason_;
    return false;
}

void TermiosSerialPort::Lost(int err) {
    if (lost_) return;
    lost_ = true;
    errno = err;
    Fail(device_ + " does not answer any more");
    pendingOut_.clear();
}

bool TermiosSerialPort::SetCommPort(int n) {
    if (fd_ >= 0) {
        errno = 0;
        return Fail("the port number cannot change while the port is open");
    }
    if (n < 1 || n > 16) {
        errno = 0;
        return Fail("port number " + std::to_string(n) + " is not 1 to 16");
    }
    commPort_ = n;
    return true;
}

bool TermiosSerialPort::SetSettings(const std::string& settings) {
    SerialSettings parsed;
    if (!ParseSerialSettings(settings, parsed)) {
        errno = 0;
        return Fail("invalid port settings \"" + settings + "\"");
    }
    std::string old = settings_;
    settings_ = settings;
    if (fd_ >= 0 && !Apply()) {
        settings_ = old;
        return false;
    }
    return true;
}

bool TermiosSerialPort::SetHandshaking(int mode) {
    if (mode != 0 && mode != 2) {
        errno = 0;
        return Fail("handshaking " + std::to_string(mode) + " is not supported");
    }
    int old = handshaking_;
    handshaking_ = mode;
    if (fd_ >= 0 && !Apply()) {
        handshaking_ = old;
        return false;
    }
    return true;
}

bool TermiosSerialPort::Apply() {
    SerialSettings s;
    speed_t speed = B19200;
    if (!ParseSerialSettings(settings_, s) || !ToSpeed(s.baud, speed)) {
        errno = 0;
        return Fail("invalid port settings \"" + settings_ + "\"");
    }
    termios t{};
    errno = 0;
    if (tcgetattr(fd_, &t) != 0) return Fail("cannot read the settings of " + device_);
    cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag |= s.dataBits == 5 ? CS5 : s.dataBits == 6 ? CS6 : s.dataBits == 7 ? CS7 : CS8;
    if (s.parity != 'n') t.c_cflag |= PARENB;
    if (s.parity == 'o') t.c_cflag |= PARODD;
    if (s.stopBits == 2) t.c_cflag |= CSTOPB;
    if (handshaking_ == 2) t.c_cflag |= CRTSCTS;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    if (tcsetattr(fd_, TCSANOW, &t) != 0) return Fail("cannot set up " + device_);
    return true;
}

bool TermiosSerialPort::SetDtrLine(bool on) {
    int bits = TIOCM_DTR;
    errno = 0;
    if (ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) != 0)
        return Fail("the DTR line of " + device_ + " cannot be set");
    return true;
}

bool TermiosSerialPort::SetPortOpen(bool open) {
    if (!open) {
        if (fd_ >= 0) {
            // The exclusive mode stays with the terminal while another side
            // keeps it open (a pseudo-terminal's): let it go with the port,
            // but only when this port set it. A refused opening must leave
            // the mode of the run that holds the device as it is.
            if (exclusive_) ioctl(fd_, TIOCNXCL);
            exclusive_ = false;
            ::close(fd_);
            fd_ = -1;
        }
        device_.clear();
        pendingOut_.clear();
        lost_ = false;
        return true;
    }
    if (fd_ >= 0) {
        errno = 0;
        return Fail("the port is already open");
    }
    std::string device = PortDevice(commPort_);
    held_ = false;
    holder_.clear();
    errno = 0;
    if (device.empty()) {
        // No device to open: the reason is ours, said in full.
        Fail(PortDeviceProblem(commPort_));
        reason_ = error_;
        return false;
    }
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // A terminal in exclusive mode refuses every other opening.
        held_ = errno == EBUSY;
        Fail("cannot open " + device);
        if (held_) holder_ = DeviceHolder(device);
        return false;
    }
    fd_ = fd;
    device_ = device;
    lost_ = false;
    // Only a terminal can be a serial port.
    if (!isatty(fd_)) {
        errno = ENOTTY;
        Fail(device + " is not a serial device");
        std::string why = error_;
        SetPortOpen(false);
        error_ = why;
        return false;
    }
    // One holder at a time: another run of this program (or its windows)
    // that has the device keeps it. The terminal's exclusive mode keeps other
    // programs out too (the system's administrator is not kept out by it).
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        held_ = err == EWOULDBLOCK;
        if (held_) holder_ = DeviceHolder(device);
        errno = err;
        Fail(held_ ? device + " is held by another program" : "cannot lock " + device);
        std::string why = error_, reason = reason_;
        SetPortOpen(false);
        error_ = why;
        reason_ = reason;
        return false;
    }
    exclusive_ = ioctl(fd_, TIOCEXCL) == 0;
    // Opening raises DTR; lower it only when asked to.
    if (!Apply() || (!dtr_ && !SetDtrLine(false))) {
        std::string why = error_;
        SetPortOpen(false);
        error_ = why;
        return false;
    }
    tcflush(fd_, TCIOFLUSH);
    error_.clear();
    reason_.clear();
    errorNumber_ = 0;
    return true;
}

int TermiosSerialPort::InBufferCount() {
    if (fd_ < 0 || lost_) return 0;
    int n = 0;
    if (ioctl(fd_, FIONREAD, &n) != 0) {
        // A terminal that hung up refuses the question.
        if (errno == EIO || errno == ENXIO || errno == ENODEV) Lost(errno);
        return 0;
    }
    return n;
}

void TermiosSerialPort::SetInBufferCount(int count) {
    if (fd_ >= 0 && count == 0) tcflush(fd_, TCIFLUSH);
}

void TermiosSerialPort::Drain() {
    while (fd_ >= 0 && !lost_ && !pendingOut_.empty()) {
        ssize_t n = ::write(fd_, pendingOut_.data(), pendingOut_.size());
        if (n > 0) {
            pendingOut_.erase(0, static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            // The device takes no more for now, or is gone.
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) Lost(errno);
            break;
        }
    }
}

int TermiosSerialPort::OutBufferCount() {
    if (fd_ < 0 || lost_) return 0;
    Drain();
    int queued = 0;
    if (ioctl(fd_, TIOCOUTQ, &queued) != 0) queued = 0;
    return static_cast<int>(pendingOut_.size()) + queued;
}

void TermiosSerialPort::SetOutBufferCount(int count) {
    if (fd_ < 0 || count != 0) return;
    pendingOut_.clear();
    tcflush(fd_, TCOFLUSH);
}

std::string TermiosSerialPort::Input() {
    std::string out;
    if (fd_ < 0 || lost_) return out;
    char buf[512];
    for (;;) {
        ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            // Nothing more for now (in raw mode a read without input gives
            // 0, as it does after a hang-up, which DeviceLost finds); an
            // error other than "nothing yet" is the device failing.
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) Lost(errno);
            break;
        }
    }
    return out;
}

bool TermiosSerialPort::Output(const std::string& bytes) {
    if (fd_ < 0) {
        errno = 0;
        return Fail("the port is not open");
    }
    if (lost_) return false;
    pendingOut_ += bytes;
    Drain();
    return !lost_;
}

bool TermiosSerialPort::CDHolding(bool& holding) {
    if (fd_ < 0) {
        errno = 0;
        return Fail("the port is not open");
    }
    int bits = 0;
    errno = 0;
    if (ioctl(fd_, TIOCMGET, &bits) != 0)
        return Fail("the carrier of " + device_ + " cannot be read");
    holding = (bits & TIOCM_CAR) != 0;
    return true;
}

bool TermiosSerialPort::SetDTREnable(bool enable) {
    if (fd_ >= 0 && !SetDtrLine(enable)) return false;
    dtr_ = enable;
    return true;
}

bool TermiosSerialPort::WaitInput(int ms) {
    if (fd_ < 0 || lost_) return false;
    pollfd p{fd_, POLLIN, 0};
    int r = ::poll(&p, 1, ms < 0 ? 0 : ms);
    if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        Lost(EIO);
        return false;
    }
    return r > 0 && (p.revents & POLLIN);
}

bool TermiosSerialPort::DeviceLost() {
    if (lost_) return true;
    if (fd_ < 0) return false;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) Lost(EIO);
    return lost_;
}

}  // namespace platform
