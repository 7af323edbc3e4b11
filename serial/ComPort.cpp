#include "serial/ComPort.h"

#include "config/U_KepFile.h"
#include "platform/SerialNames.h"
#include "serial/ComPortVerrou.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QPointer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kep {

namespace {

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
    // Another program's hold is told before QSerialPort sets the line
    // under it. A lock file of a live process stands however old it is
    // (QSerialPort would take it for stale after half a minute).
    int err = 0;
    Lock_ = OpenLocked(path, err);
    if (Lock_ >= 0 && UucpHolder(path) > 0)
        err = EBUSY;
    if (err) {
        Release();
        throw EComPort(OpenFormat, err);
    }
    Serial_->clearError();
    Serial_->setPortName(QFile::decodeName(QByteArray::fromStdString(path)));
    errno = 0;
    if (!Serial_->open(QIODevice::ReadWrite)) {
        err = OpenErrorCode(errno, Serial_->error());
        Serial_->clearError();
        Release();
        throw EComPort(OpenFormat, err);
    }
    // Kept from other opens (root passes it all the same, hence the lock).
    ::ioctl(int(Serial_->handle()), TIOCEXCL);
    if ((err = ApplyLineState())) {
        Serial_->close();
        Serial_->clearError();
        Release();
        throw EComPort(StateFormat, err);
    }
    const int signalError = ApplySignals();
    Decoder_.Reset();
    Received_.clear();
    ReceivedAt_ = 0;
    Sending_.clear();
    SendingAt_ = 0;
    TxEmptyQueued_ = false;
    Room_ = new QSocketNotifier(Serial_->handle(), QSocketNotifier::Write, this);
    Room_->setEnabled(false);
    connect(Room_, &QSocketNotifier::activated, this, &TComPort::Send);
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

bool TComPort::CanOpen(const std::string& device)
{
    if (device.empty())
        return false;
    {
        std::lock_guard<std::mutex> lock(RegistryLock);
        if (Registry().count(RegistryKey(device)))
            return false;
    }
    int err = 0;
    const int fd = OpenLocked(device, err);
    if (fd < 0)
        return false;
    ::close(fd);
    return UucpHolder(device) == 0;
}

// After the device itself has closed, so that the lock covers it to the end.
void TComPort::Release()
{
    if (Lock_ >= 0)
        ::close(Lock_);
    Lock_ = -1;
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
    // Deleted by the event loop, which is safe wherever Close comes from.
    Room_->setEnabled(false);
    Room_->deleteLater();
    Room_ = nullptr;
    Sending_.clear();
    SendingAt_ = 0;
    TxEmptyQueued_ = false;
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
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    // A hung-up line reads as end of file, which leaves errno as it was;
    // the next write would say EIO.
    Lost(EIO);
}

// The device is gone: the port closes, once, from the event loop.
void TComPort::Lost(int code)
{
    if (!Connected_ || VanishQueued_)
        return;
    Room_->setEnabled(false);
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

int TComPort::Write(const void* buffer, int count)
{
    if (!Connected_ || count <= 0)
        return 0;
    // What the driver took goes once it outweighs what waits, as for reads.
    if (SendingAt_ == Sending_.size()) {
        Sending_.clear();
        SendingAt_ = 0;
    } else if (SendingAt_ >= 65536 && SendingAt_ * 2 >= Sending_.size()) {
        Sending_.erase(0, SendingAt_);
        SendingAt_ = 0;
    }
    Sending_.append(static_cast<const char*>(buffer), std::size_t(count));
    // Handed over at once, as a blocking write would, rather than on the
    // event loop's next turn.
    Send();
    return count;
}

// Hands the driver what it takes now. A full queue, or a line the receiver
// holds back, takes nothing ("temporarily unavailable"): the rest waits for
// the driver to have room. Any other failure is the device going away.
void TComPort::Send()
{
    if (!Connected_ || VanishQueued_)
        return;
    const int fd = int(Serial_->handle());
    // A bounded share per turn keeps the event loop free on a fast line.
    std::size_t share = 1u << 18;
    while (SendingAt_ < Sending_.size()) {
        if (share == 0) {
            Room_->setEnabled(true);
            return;
        }
        const std::size_t size = std::min(share, Sending_.size() - SendingAt_);
        const ssize_t n = ::write(fd, Sending_.data() + SendingAt_, size);
        if (n > 0) {
            SendingAt_ += std::size_t(n);
            share -= std::min(share, std::size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
            Room_->setEnabled(true);
            return;
        }
        Lost(errno);
        return;
    }
    Sending_.clear();
    SendingAt_ = 0;
    Room_->setEnabled(false);
    // Told from the event loop: a handler that writes again must not nest
    // inside Write.
    if (TxEmptyQueued_ || !(Events_ & EventBit(evTxEmpty)))
        return;
    TxEmptyQueued_ = true;
    const unsigned generation = Generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation != Generation_)
                return;
            TxEmptyQueued_ = false;
            if (Connected_ && SendingAt_ == Sending_.size())
                Deliver(EventBit(evTxEmpty));
        },
        Qt::QueuedConnection);
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
    return Connected_ ? int(std::min<std::size_t>(Sending_.size() - SendingAt_, INT_MAX)) : 0;
}

bool TComPort::WaitWritten(int ms)
{
    if (!Connected_)
        return true;
    const QDeadlineTimer deadline(ms);
    const unsigned generation = Generation_;
    while (SendingAt_ < Sending_.size()) {
        const qint64 left = deadline.remainingTime();
        if (left == 0)
            return false;
        // Short slices: the rest of the program keeps running meanwhile.
        pollfd room{int(Serial_->handle()), POLLOUT, 0};
        ::poll(&room, 1, int(left < 0 ? 20 : std::min<qint64>(left, 20)));
        Send();
        QCoreApplication::processEvents();
        // Closed meanwhile: what was queued is gone, not sent.
        if (!Connected_ || generation != Generation_)
            return false;
    }
    return true;
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
