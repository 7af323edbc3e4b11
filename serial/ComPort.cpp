#include "serial/ComPort.h"

#include "config/U_KepFile.h"
#include "platform/SerialNames.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QPointer>
#include <QSerialPort>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <sys/ioctl.h>
#ifdef __linux__
#include <linux/serial.h>
#endif
#include <termios.h>

namespace kep {

namespace {

constexpr const char* OpenFormat = "Unable to open com port. Err %d";
constexpr const char* StateFormat = "Unable to set com state. Err %d";
constexpr const char* FailedFormat = "Operation failed. Err %d";
constexpr const char* StatusFormat = "Unable to read com status. Err %d";
constexpr const char* SignalFormat = "Unable to set signal. Err %d";

constexpr TEvents LineEvents = EventBit(evRing) | EventBit(evCTS) | EventBit(evDSR) | EventBit(evRLSD);
constexpr int PollMs = 50;

std::string Formatted(const std::string& format, int code)
{
    std::string text = format;
    const std::size_t at = text.find("%d");
    if (at != std::string::npos)
        text.replace(at, 2, std::to_string(code));
    return text;
}

// The devices open in this process. QSerialPort's lock file is named after
// the path it was given, so a symbolic link and its target would each get
// one, and TIOCEXCL does not stop root: the real path settles it here.
std::mutex RegistryLock;
std::set<std::string>& Registry()
{
    static std::set<std::string> open;
    return open;
}

std::string RegistryKey(const std::string& path)
{
    std::string full = path.find('/') == std::string::npos ? "/dev/" + path : path;
    if (char* real = ::realpath(full.c_str(), nullptr)) {
        full = real;
        std::free(real);
    }
    return full;
}

int OpenErrorCode(int err, QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return err > 0 ? err : ENOENT;
    case QSerialPort::PermissionError:
        // A lock file held elsewhere leaves EEXIST (or nothing useful) in
        // errno: to the caller the device is simply busy.
        return err == EACCES || err == EPERM || err == EBUSY ? err : EBUSY;
    default:
        return err > 0 ? err : EIO;
    }
}

tcflag_t CharSize(TDataBits bits)
{
    switch (bits) {
    case dbFive: return CS5;
    case dbSix: return CS6;
    case dbSeven: return CS7;
    case dbEight: break;
    }
    return CS8;
}

} // namespace

EComPort::EComPort(const std::string& format, int code) : std::runtime_error(Formatted(format, code)), Code_(code) {}

int BaudValue(TBaudRate rate)
{
    static constexpr int Values[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                     19200, 38400, 56000, 57600, 115200, 128000, 256000};
    const int i = int(rate);
    return i >= 0 && i < int(std::size(Values)) ? Values[i] : 9600;
}

std::vector<TEvent> TComPort::DeliveryOrder(TEvents events)
{
    static constexpr TEvent Order[] = {evRxChar, evTxEmpty, evBreak, evRing,  evCTS,
                                       evDSR,    evRxFlag,  evRLSD,  evError, evRx80Full};
    std::vector<TEvent> order;
    for (TEvent e : Order)
        if (events & EventBit(e))
            order.push_back(e);
    return order;
}

TComPort::TComPort(QObject* parent) : QObject(parent), Serial_(new QSerialPort(this)), Poll_(new QTimer(this))
{
    Poll_->setInterval(PollMs);
    connect(Poll_, &QTimer::timeout, this, &TComPort::PollLines);
    connect(Serial_, &QSerialPort::readyRead, this, &TComPort::OnReadyRead);
    connect(Serial_, &QSerialPort::bytesWritten, this, &TComPort::OnBytesWritten);
    connect(Serial_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) { OnDriverError(int(e)); });
}

TComPort::~TComPort()
{
    // The owner is half destroyed by now: its handlers must not run.
    OnClose = nullptr;
    OnFault = nullptr;
    Close();
    delete Serial_;
    Serial_ = nullptr;
}

// ---- Settings

void TComPort::SetBaudRate(TBaudRate rate)
{
    BaudRate_ = rate;
    if (Connected_)
        if (const int err = ApplyLineState())
            throw EComPort(StateFormat, err);
}

void TComPort::SetPort(int port)
{
    if (port == Port_)
        return;
    Port_ = port;
    if (Connected_) {
        Close();
        Open();
    }
}

void TComPort::SetParity(const TParity& parity)
{
    Parity_ = parity;
    if (Connected_)
        if (const int err = ApplyLineState())
            throw EComPort(StateFormat, err);
}

void TComPort::SetStopBits(TStopBits bits)
{
    StopBits_ = bits;
    if (Connected_)
        if (const int err = ApplyLineState())
            throw EComPort(StateFormat, err);
}

void TComPort::SetDataBits(TDataBits bits)
{
    DataBits_ = bits;
    if (Connected_)
        if (const int err = ApplyLineState())
            throw EComPort(StateFormat, err);
}

// Read at each wake-up, so it takes effect with the next bytes.
void TComPort::SetDiscardNull(bool on)
{
    DiscardNull_ = on;
}

void TComPort::SetEventChar(char c)
{
    EventChar_ = c;
}

void TComPort::SetEvents(TEvents events)
{
    Events_ = events & AllEvents;
    if (Connected_)
        UpdatePolling();
}

// The driver's queues are its own; the size read only sets the 80 % mark.
void TComPort::SetBufSizes(int readSize, int writeSize)
{
    ReadBufSize_ = std::max(0, readSize);
    WriteBufSize_ = std::max(0, writeSize);
}

void TComPort::SetFlowControl(const TFlowControl& flow)
{
    const bool lines = flow.ControlDtr != Flow_.ControlDtr || flow.ControlRts != Flow_.ControlRts;
    Flow_ = flow;
    if (!Connected_)
        return;
    if (const int err = ApplyLineState())
        throw EComPort(StateFormat, err);
    if (lines)
        if (const int err = ApplySignals())
            Fault(SignalFormat, err);
}

void TComPort::SetSyncMethod(TSyncMethod m)
{
    if (Connected_)
        throw EComPort("Cannot set SyncMethod while connected", 0);
    Sync_ = m;
}

std::string TComPort::DevicePath() const
{
    return ComDevice(Port_, NomFichOptions);
}

TRxDecodeRules TComPort::Rules() const
{
    TRxDecodeRules rules;
    rules.Replace = Parity_.Check && Parity_.Replace;
    rules.ReplaceChar = Parity_.ReplaceChar;
    rules.DiscardNull = DiscardNull_;
    return rules;
}

// ---- Line state

int TComPort::ApplyLineState()
{
    // termios has no 1.5 stop bits.
    if (StopBits_ == sbOne5StopBits)
        return EINVAL;
    // QSerialPort for the speed alone, for the rates termios2 must carry.
    errno = 0;
    const bool ok = Serial_->setBaudRate(BaudValue(BaudRate_));
    const int err = ok ? 0 : errno > 0 ? errno : EINVAL;
    Serial_->clearError();
    return err ? err : ApplyTermios();
}

// The framing is set here rather than through QSerialPort's setters, which
// reset the input flags the marks depend on and leave PARODD and CMSPAR
// behind when the parity goes.
int TComPort::ApplyTermios()
{
    const int fd = int(Serial_->handle());
    termios tio{};
    if (::tcgetattr(fd, &tio) < 0)
        return errno;
    tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CharSize(DataBits_);
    switch (Parity_.Bits) {
    case prNone: break;
    case prOdd: tio.c_cflag |= PARENB | PARODD; break;
    case prEven: tio.c_cflag |= PARENB; break;
    case prMark: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case prSpace: tio.c_cflag |= PARENB | CMSPAR; break;
    }
    if (StopBits_ == sbTwoStopBits)
        tio.c_cflag |= CSTOPB;
    // OutDsrFlow has no counterpart: the tty layer only knows RTS/CTS.
    if (Flow_.OutCtsFlow || Flow_.ControlRts == rtsHandshake)
        tio.c_cflag |= CRTSCTS;

    // Bytes come through untouched, on the tty layer's fast path, unless
    // bad bytes must be told: they then come marked for the decoder (a real
    // 0xFF doubled), breaks with them. Otherwise a break is kept out of the
    // data and the driver counts it (PollLines reads the count): asking for
    // marks all the time halves the throughput.
    tio.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | ISTRIP | INPCK | IXON | IXOFF | IXANY | PARMRK);
    if (Parity_.Check) {
        tio.c_iflag &= ~tcflag_t(IGNPAR);
        tio.c_iflag |= INPCK | PARMRK;
    } else {
        tio.c_iflag |= IGNBRK;
    }
    if (Flow_.XonXoffOut)
        tio.c_iflag |= IXON;
    if (Flow_.XonXoffIn)
        tio.c_iflag |= IXOFF;
    tio.c_cc[VSTART] = 0x11;
    tio.c_cc[VSTOP] = 0x13;
    if (::tcsetattr(fd, TCSANOW, &tio) < 0)
        return errno;
    if (Marked_ != Parity_.Check)
        Decoder_.Reset();
    Marked_ = Parity_.Check;
    // A driver quietly keeps what it cannot do (a pseudo-terminal keeps 8
    // bits and no parity), and refuses it only when nothing else changed in
    // the same call: checked here so that such a framing always fails.
    termios now{};
    if (::tcgetattr(fd, &now) < 0)
        return errno;
    if ((now.c_cflag ^ tio.c_cflag) & (CSIZE | PARENB | CSTOPB))
        return EINVAL;
    return 0;
}

int TComPort::ApplySignals()
{
    const int fd = int(Serial_->handle());
    int err = 0;
    auto set = [&](int line, bool up) {
        int bits = line;
        if (::ioctl(fd, up ? TIOCMBIS : TIOCMBIC, &bits) < 0 && !err)
            err = errno;
    };
    switch (Flow_.ControlDtr) {
    case dtrEnable: set(TIOCM_DTR, true); break;
    case dtrDisable: set(TIOCM_DTR, false); break;
    case dtrHandshake: break; // the tty layer has no DTR/DSR handshake: DTR stays as the driver left it
    }
    switch (Flow_.ControlRts) {
    case rtsEnable: set(TIOCM_RTS, true); break;
    case rtsDisable: set(TIOCM_RTS, false); break;
    case rtsHandshake: break; // CRTSCTS drives it
    case rtsToggle: break;    // only some drivers do it, through their RS-485 mode: left as it is
    }
    return err;
}

// ---- Connection

void TComPort::Open()
{
    if (Connected_)
        Close();
    const std::string path = DevicePath();
    if (path.empty())
        throw EComPort(OpenFormat, ENOENT);
    const std::string key = RegistryKey(path);
    {
        std::lock_guard<std::mutex> lock(RegistryLock);
        if (!Registry().insert(key).second)
            throw EComPort(OpenFormat, EBUSY);
    }
    Claimed_ = key;
    Serial_->clearError();
    Serial_->setPortName(QFile::decodeName(QByteArray::fromStdString(path)));
    errno = 0;
    if (!Serial_->open(QIODevice::ReadWrite)) {
        const int err = OpenErrorCode(errno, Serial_->error());
        Serial_->clearError();
        Release();
        throw EComPort(OpenFormat, err);
    }
    if (const int err = ApplyLineState()) {
        Serial_->close();
        Serial_->clearError();
        Release();
        throw EComPort(StateFormat, err);
    }
    const int signalError = ApplySignals();
    Decoder_.Reset();
    Received_.clear();
    ReceivedAt_ = 0;
    LinesReadable_ = true;
    LinesSampled_ = false;
    BreaksReadable_ = true;
    BreaksCounted_ = false;
    VanishQueued_ = false;
    ++Generation_;
    Connected_ = true;

    QPointer<TComPort> alive(this);
    const unsigned generation = Generation_;
    if (auto h = OnOpen)
        h(*this);
    if (!alive || generation != Generation_)
        return;
    // A pseudo-terminal has no modem lines: the port works without them.
    if (signalError)
        Fault(SignalFormat, signalError);
    if (!alive || generation != Generation_)
        return;
    UpdatePolling();
}

void TComPort::Release()
{
    if (Claimed_.empty())
        return;
    std::lock_guard<std::mutex> lock(RegistryLock);
    Registry().erase(Claimed_);
    Claimed_.clear();
}

void TComPort::Close()
{
    if (!Connected_)
        return;
    Connected_ = false;
    ++Generation_;
    Poll_->stop();
    Serial_->clear();
    Serial_->close();
    Serial_->clearError();
    Release();
    Received_.clear();
    ReceivedAt_ = 0;
    Decoder_.Reset();
    if (auto h = OnClose)
        h(*this);
}

void TComPort::OnDriverError(int error)
{
    if (!Connected_ || VanishQueued_)
        return;
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError && error != QSerialPort::WriteError)
        return;
    // A hung-up line reads as end of file, which leaves errno as it was;
    // the next write would say EIO, so that is the code unless a failed
    // write told better.
    int code = EIO;
    if (error == QSerialPort::WriteError && (errno == ENXIO || errno == ENODEV || errno == EPIPE))
        code = errno;
    // The driver keeps signalling until the port closes, but closing inside
    // its own notification would pull the buffers from under it.
    VanishQueued_ = true;
    const unsigned generation = Generation_;
    QMetaObject::invokeMethod(this, [this, generation, code] { Vanished(generation, code); }, Qt::QueuedConnection);
}

void TComPort::Vanished(unsigned generation, int code)
{
    if (generation != Generation_ || !Connected_)
        return;
    QPointer<TComPort> alive(this);
    Close();
    if (alive)
        Fault(FailedFormat, code);
}

void TComPort::Fault(const char* format, int code)
{
    if (auto h = OnFault)
        h(*this, EComPort(format, code).what());
}

// ---- Transfers

void TComPort::OnReadyRead()
{
    if (!Connected_)
        return;
    const qint64 available = Serial_->bytesAvailable();
    if (available <= 0)
        return;
    if (Raw_.size() < std::size_t(available))
        Raw_.resize(std::size_t(available));
    const qint64 got = Serial_->read(Raw_.data(), available);
    if (got <= 0)
        return;

    // Reads take from the front by moving an index; what they took goes
    // once it outweighs what is left, which keeps each byte's cost constant.
    if (ReceivedAt_ == Received_.size()) {
        Received_.clear();
        ReceivedAt_ = 0;
    } else if (ReceivedAt_ >= 4096 && ReceivedAt_ * 2 >= Received_.size()) {
        Received_.erase(0, ReceivedAt_);
        ReceivedAt_ = 0;
    }
    const std::size_t before = Received_.size();
    const std::string_view raw(Raw_.data(), std::size_t(got));
    TRxDecoded told;
    if (Marked_) {
        told = Decoder_.Decode(raw, Rules(), Received_);
    } else if (DiscardNull_) {
        for (char c : raw)
            if (c)
                Received_ += c;
    } else {
        Received_.append(raw);
    }

    TEvents events = 0;
    if (Received_.size() > before) {
        events |= EventBit(evRxChar);
        if (std::memchr(Received_.data() + before, EventChar_, Received_.size() - before))
            events |= EventBit(evRxFlag);
        if (ReadBufSize_ > 0 && InputCount() >= ReadBufSize_ * 8 / 10)
            events |= EventBit(evRx80Full);
    }
    if (told.Breaks)
        events |= EventBit(evBreak);
    if (told.Errors)
        events |= EventBit(evError);
    Deliver(events);
}

void TComPort::OnBytesWritten()
{
    if (!Connected_ || Serial_->bytesToWrite() != 0)
        return;
    const unsigned generation = Generation_;
    if (InWrite_) {
        // Noticed by Write's flush: told from the event loop, not from
        // inside Write.
        QMetaObject::invokeMethod(
            this,
            [this, generation] {
                if (generation == Generation_ && Connected_ && Serial_->bytesToWrite() == 0)
                    Deliver(EventBit(evTxEmpty));
            },
            Qt::QueuedConnection);
        return;
    }
    QPointer<TComPort> alive(this);
    InTxSignal_ = true;
    Deliver(EventBit(evTxEmpty));
    if (alive)
        InTxSignal_ = false;
}

int TComPort::Write(const void* buffer, int count)
{
    if (!Connected_ || count <= 0)
        return 0;
    errno = 0;
    const qint64 n = Serial_->write(static_cast<const char*>(buffer), count);
    // Hand what the driver takes now, as a blocking write would, rather than
    // wait for the event loop's next turn. Not from within QSerialPort's
    // bytesWritten, though: a flush there loses the count of the next
    // completion, and with it the next TxEmpty; QSerialPort sends the rest
    // itself as soon as that signal returns.
    if (n > 0 && !InTxSignal_) {
        InWrite_ = true;
        Serial_->flush();
        InWrite_ = false;
    }
    if (n < 0) {
        const int err = errno > 0 ? errno : EIO;
        Serial_->clearError();
        throw EComPort(FailedFormat, err);
    }
    return int(n);
}

int TComPort::Read(void* buffer, int count)
{
    const int n = std::min(std::max(count, 0), InputCount());
    if (n == 0)
        return 0;
    std::memcpy(buffer, Received_.data() + ReceivedAt_, std::size_t(n));
    ReceivedAt_ += std::size_t(n);
    if (ReceivedAt_ == Received_.size()) {
        Received_.clear();
        ReceivedAt_ = 0;
    }
    return n;
}

int TComPort::InputCount() const
{
    return int(std::min<std::size_t>(Received_.size() - ReceivedAt_, INT_MAX));
}

int TComPort::OutputCount() const
{
    return Connected_ ? int(std::min<qint64>(Serial_->bytesToWrite(), INT_MAX)) : 0;
}

bool TComPort::WaitWritten(int ms)
{
    if (!Connected_)
        return true;
    const QDeadlineTimer deadline(ms);
    const unsigned generation = Generation_;
    while (Serial_->bytesToWrite() > 0) {
        const qint64 left = deadline.remainingTime();
        if (left == 0)
            return false;
        // Short slices: the rest of the program keeps running meanwhile.
        Serial_->waitForBytesWritten(int(left < 0 ? 20 : std::min<qint64>(left, 20)));
        QCoreApplication::processEvents();
        // Closed meanwhile: what was queued is gone, not sent.
        if (!Connected_ || generation != Generation_)
            return false;
    }
    return true;
}

// ---- Lines

int TComPort::ReadLines(int& lines) const
{
    lines = 0;
    if (::ioctl(int(Serial_->handle()), TIOCMGET, &lines) < 0)
        return errno;
    return 0;
}

void TComPort::SetDTR(bool state)
{
    int bits = TIOCM_DTR;
    if (::ioctl(int(Serial_->handle()), state ? TIOCMBIS : TIOCMBIC, &bits) < 0)
        throw EComPort(SignalFormat, errno);
}

void TComPort::SetRTS(bool state)
{
    int bits = TIOCM_RTS;
    if (::ioctl(int(Serial_->handle()), state ? TIOCMBIS : TIOCMBIC, &bits) < 0)
        throw EComPort(SignalFormat, errno);
}

bool TComPort::LineUp(int line) const
{
    int lines = 0;
    if (const int err = ReadLines(lines))
        throw EComPort(StatusFormat, err);
    return lines & line;
}

bool TComPort::CTS() const { return LineUp(TIOCM_CTS); }
bool TComPort::DSR() const { return LineUp(TIOCM_DSR); }
bool TComPort::RLSD() const { return LineUp(TIOCM_CD); }
bool TComPort::Ring() const { return LineUp(TIOCM_RI); }

// The tty layer tells no modem line change to a reader that also waits for
// data, so the lines are sampled while someone watches them; so is the
// driver's count of breaks, which unmarked input leaves out of the data.
bool TComPort::WatchesLines() const
{
    return LinesReadable_ && (Events_ & LineEvents);
}

bool TComPort::WatchesBreaks() const
{
    return BreaksReadable_ && !Marked_ && (Events_ & EventBit(evBreak));
}

int TComPort::ReadBreaks(unsigned& breaks) const
{
#ifdef TIOCGICOUNT
    serial_icounter_struct count{};
    if (::ioctl(int(Serial_->handle()), TIOCGICOUNT, &count) < 0)
        return errno;
    breaks = unsigned(count.brk);
    return 0;
#else
    breaks = 0;
    return ENOTTY;
#endif
}

void TComPort::UpdatePolling()
{
    if (!Connected_ || (!WatchesLines() && !WatchesBreaks())) {
        Poll_->stop();
        return;
    }
    if (Poll_->isActive())
        return;
    PollLines(); // takes the first sample, and tells a refusal at once
    if (Connected_ && (WatchesLines() || WatchesBreaks()))
        Poll_->start();
}

void TComPort::PollLines()
{
    if (!Connected_) {
        Poll_->stop();
        return;
    }
    TEvents events = 0;
    if (WatchesLines()) {
        int lines = 0;
        if (const int err = ReadLines(lines)) {
            LinesReadable_ = false;
            if (!WatchesBreaks())
                Poll_->stop();
            Fault(StatusFormat, err);
            return;
        }
        const unsigned now = unsigned(lines), was = LastLines_;
        LastLines_ = now;
        if (LinesSampled_) {
            if ((now & TIOCM_RI) && !(was & TIOCM_RI))
                events |= EventBit(evRing);
            if ((now ^ was) & TIOCM_CTS)
                events |= EventBit(evCTS);
            if ((now ^ was) & TIOCM_DSR)
                events |= EventBit(evDSR);
            if ((now ^ was) & TIOCM_CD)
                events |= EventBit(evRLSD);
        }
        LinesSampled_ = true;
    }
    if (WatchesBreaks()) {
        // A driver without counters (a pseudo-terminal) cannot carry a
        // break either: nothing to tell.
        unsigned breaks = 0;
        if (ReadBreaks(breaks)) {
            BreaksReadable_ = false;
            if (!WatchesLines())
                Poll_->stop();
        } else {
            if (BreaksCounted_ && breaks != LastBreaks_)
                events |= EventBit(evBreak);
            LastBreaks_ = breaks;
            BreaksCounted_ = true;
        }
    }
    Deliver(events);
}

void TComPort::Deliver(TEvents events)
{
    events &= Events_;
    if (!events)
        return;
    QPointer<TComPort> alive(this);
    const unsigned generation = Generation_;
    for (TEvent e : DeliveryOrder(events)) {
        // A handler may close the port, or delete it.
        if (!alive || generation != Generation_)
            return;
        std::function<void(TComPort&)> h;
        switch (e) {
        case evRxChar:
            if (auto rx = OnRxChar)
                rx(*this, InputCount());
            continue;
        case evTxEmpty: h = OnTxEmpty; break;
        case evRxFlag: h = OnRxFlag; break;
        case evRing: h = OnRing; break;
        case evBreak: h = OnBreak; break;
        case evCTS: h = OnCTS; break;
        case evDSR: h = OnDSR; break;
        case evError: h = OnError; break;
        case evRLSD: h = OnRLSD; break;
        case evRx80Full: h = OnRx80Full; break;
        }
        if (h)
            h(*this);
    }
}

} // namespace kep
