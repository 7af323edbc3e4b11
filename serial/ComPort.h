#pragma once
// One serial port, COM1 to COM8, over QSerialPort: line settings applied at
// once while connected, reads and writes, the DTR and RTS lines, the modem
// lines and the line events. The names COM1..COM8 map to devices through
// the option file (see platform/SerialNames.h). QSerialPort opens the
// device and reads it; writes go to the device itself, so that a line that
// cannot take more yet is told apart from one that is gone.
//
// Everything runs on the thread that owns the object: the driver's
// notifications and a short poll of the modem lines stand in for a thread
// waiting on line events, so the handlers never need a lock.
#include "serial/U_RxDecode.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

class QSerialPort;
class QSocketNotifier;
class QTimer;

namespace kep {

// Every failure of the port, with the system's error code in the text
// ("Unable to open com port. Err 2").
class EComPort : public std::runtime_error {
public:
    EComPort(const std::string& format, int code);
    int Code() const { return Code_; }

private:
    int Code_;
};

// EComPort's messages, %d the system's code.
inline constexpr const char* OpenFormat = "Unable to open com port. Err %d";
inline constexpr const char* StateFormat = "Unable to set com state. Err %d";
inline constexpr const char* FailedFormat = "Operation failed. Err %d";
inline constexpr const char* StatusFormat = "Unable to read com status. Err %d";
inline constexpr const char* SignalFormat = "Unable to set signal. Err %d";

// The component's speed table; 128000 and 256000 follow it so that the
// terminal's longer list selects real speeds.
enum TBaudRate {
    br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400, br56000, br57600, br115200,
    br128000, br256000
};
int BaudValue(TBaudRate rate);

enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };
struct TParity {
    TParityBits Bits = prNone;
    bool Check = false;   // bytes with a parity or framing error are marked...
    bool Replace = false; // ...and then given as ReplaceChar
    char ReplaceChar = 0;
    bool operator==(const TParity&) const = default;
};

enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits { dbFive, dbSix, dbSeven, dbEight };

enum TEvent {
    evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD, evRx80Full
};
using TEvents = unsigned; // bit (1u << TEvent)
constexpr TEvents EventBit(TEvent e) { return 1u << unsigned(e); }
constexpr TEvents AllEvents = (1u << 10) - 1;

enum TDtrFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum TRtsFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
struct TFlowControl {
    bool OutCtsFlow = false;
    bool OutDsrFlow = false;
    TDtrFlowControl ControlDtr = dtrDisable;
    TRtsFlowControl ControlRts = rtsDisable;
    bool XonXoffOut = false;
    bool XonXoffIn = false;
    bool operator==(const TFlowControl&) const = default;
};

// Kept and handed back; reads and writes here never block, so they only
// matter to a caller that waits (WaitWritten).
struct TComTimeouts {
    int ReadInterval = -1;
    int ReadTotalMultiplier = 0;
    int ReadTotalConstant = 0;
    int WriteTotalMultiplier = 100;
    int WriteTotalConstant = 1000;
};

enum TSyncMethod { smUseThreadSync, smSendMessages, smDirectEventsCall };

class TComPort : public QObject {
    Q_OBJECT
public:
    explicit TComPort(QObject* parent = nullptr);
    ~TComPort() override; // closes first

    // ---- Settings: stored while closed, applied at once while connected.
    TBaudRate BaudRate() const { return BaudRate_; }
    void SetBaudRate(TBaudRate rate);
    int Port() const { return Port_; } // 1..8
    void SetPort(int port);            // a new port while connected closes and opens it
    const TParity& Parity() const { return Parity_; }
    void SetParity(const TParity& parity);
    TStopBits StopBits() const { return StopBits_; }
    void SetStopBits(TStopBits bits);
    TDataBits DataBits() const { return DataBits_; }
    void SetDataBits(TDataBits bits);
    bool DiscardNull() const { return DiscardNull_; }
    void SetDiscardNull(bool on);
    char EventChar() const { return EventChar_; }
    void SetEventChar(char c);
    TEvents Events() const { return Events_; }
    void SetEvents(TEvents events);
    int WriteBufSize() const { return WriteBufSize_; }
    int ReadBufSize() const { return ReadBufSize_; }
    void SetBufSizes(int readSize, int writeSize);
    const TFlowControl& FlowControl() const { return Flow_; }
    void SetFlowControl(const TFlowControl& flow);
    const TComTimeouts& Timeouts() const { return Timeouts_; }
    void SetTimeouts(const TComTimeouts& t) { Timeouts_ = t; }
    TSyncMethod SyncMethod() const { return Sync_; }
    void SetSyncMethod(TSyncMethod m); // throws while connected

    // ---- Connection.
    // Closes first if open, then opens the device of Port (read and write,
    // exclusive) and applies every setting. Throws EComPort; a failed Open
    // leaves the port closed. A device another program holds is refused
    // (EBUSY) before its line is touched, and this port holds the device in
    // the same ways until it closes.
    void Open();
    void Close();
    bool Connected() const { return Connected_; }
    // The device Port maps to (empty when none).
    std::string DevicePath() const;
    // Whether Open would find `device` free now; the line is left as it is.
    static bool CanOpen(const std::string& device);

    // ---- Transfers. Write queues the bytes and returns their count; the
    // driver sends them as the line allows: while its queue is full or the
    // receiver holds the line back (XOFF, CTS down) they wait here, in
    // order, and only the device vanishing ends them (OnFault). Read takes
    // at most `count` received bytes and returns how many.
    int Write(const void* buffer, int count);
    int WriteStr(std::string_view text) { return Write(text.data(), int(text.size())); }
    int Read(void* buffer, int count);
    int InputCount() const;  // received bytes not read yet
    int OutputCount() const; // bytes queued and not yet handed to the driver
    // Waits (running events) until every queued byte has gone or `ms` passed.
    bool WaitWritten(int ms);

    // ---- Lines. Each throws EComPort when the device refuses.
    void SetDTR(bool state);
    void SetRTS(bool state);
    bool CTS() const;
    bool DSR() const;
    bool RLSD() const;
    bool Ring() const;

    // ---- Events, each optional. Within one wake-up they come in this
    // order: RxChar, TxEmpty, Break, Ring, CTS, DSR, RxFlag, RLSD, Error,
    // Rx80Full. OnRxChar gets InputCount() at delivery time.
    std::function<void(TComPort&, int count)> OnRxChar;
    std::function<void(TComPort&)> OnTxEmpty, OnRxFlag, OnRing, OnBreak, OnCTS, OnDSR, OnError, OnRLSD, OnRx80Full;
    std::function<void(TComPort&)> OnOpen, OnClose;
    // A failure found between calls: a modem line or signal the device
    // refuses while the port opens (a pseudo-terminal has neither), or the
    // device vanishing (the port is then closed and OnClose has run). The
    // text is EComPort's.
    std::function<void(TComPort&, const std::string& message)> OnFault;

    // The order above, for a set of events.
    static std::vector<TEvent> DeliveryOrder(TEvents events);

private:
    int ApplyLineState(); // 0 or the errno of the refusal
    int ApplyTermios();
    int ApplySignals();
    int ReadLines(int& lines) const;
    bool LineUp(int line) const; // throws
    TRxDecodeRules Rules() const;
    void OnReadyRead();
    void Send();
    void OnDriverError(int error);
    void Lost(int code);
    void Vanished(unsigned generation, int code);
    bool WatchesLines() const;
    bool WatchesBreaks() const;
    int ReadBreaks(unsigned& breaks) const;
    void UpdatePolling();
    void PollLines();
    void Deliver(TEvents events);
    void Fault(const char* format, int code);
    void Release();

    QSerialPort* Serial_ = nullptr;
    QTimer* Poll_ = nullptr;
    TRxDecoder Decoder_;
    std::string Raw_;      // reused for each read from the driver
    std::string Received_; // decoded, not read yet
    std::size_t ReceivedAt_ = 0;
    unsigned LastLines_ = 0; // the modem lines at the last poll
    bool LinesReadable_ = false;
    bool Marked_ = false;        // the driver marks bad bytes and breaks
    bool LinesSampled_ = false;  // LastLines_ holds a sample
    bool BreaksReadable_ = false;
    bool BreaksCounted_ = false; // LastBreaks_ holds the driver's count
    unsigned LastBreaks_ = 0;
    std::string Sending_;       // written, not yet taken by the driver
    std::size_t SendingAt_ = 0;
    QSocketNotifier* Room_ = nullptr; // the driver has room again
    bool TxEmptyQueued_ = false;
    std::string Claimed_; // the device this object holds, as the registry knows it
    int Lock_ = -1;       // a descriptor holding the device's flock
    unsigned Generation_ = 0; // counts opens and closes, to drop stale work
    bool VanishQueued_ = false;

    TBaudRate BaudRate_ = br9600;
    int Port_ = 1;
    TParity Parity_;
    TStopBits StopBits_ = sbOneStopBit;
    TDataBits DataBits_ = dbEight;
    bool DiscardNull_ = false;
    char EventChar_ = 0;
    TEvents Events_ = AllEvents;
    int WriteBufSize_ = 1024;
    int ReadBufSize_ = 1024;
    TFlowControl Flow_;
    TComTimeouts Timeouts_;
    TSyncMethod Sync_ = smUseThreadSync;
    bool Connected_ = false;
};

} // namespace kep
