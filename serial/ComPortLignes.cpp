// The line itself: the framing and flow control in termios, the DTR and
// RTS lines, and the modem lines and breaks sampled while watched.
#include "serial/ComPort.h"

#include <QSerialPort>
#include <QTimer>

#include <cerrno>
#include <sys/ioctl.h>
#ifdef __linux__
#include <linux/serial.h>
#endif
#include <termios.h>

namespace kep {

namespace {

constexpr TEvents LineEvents = EventBit(evRing) | EventBit(evCTS) | EventBit(evDSR) | EventBit(evRLSD);

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

} // namespace kep
