#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace qvr {

// One serial port device as the operating system offers it.
//
// The contract is the Windows one the receiver protocols were written
// against: a read asks for a count and returns when that count has arrived
// or when its total time-out has passed, with whatever arrived by then
// (there is no interval time-out); a write blocks until the driver has taken
// the bytes. Line settings are always 8 data bits, no parity, one stop bit,
// no flow control, raw binary with nothing stripped or translated.
class ISerialDevice {
public:
    virtual ~ISerialDevice() = default;

    // Opens the device for exclusive use. Names: a port name as listed by
    // the port enumeration ("ttyS0", "ttyUSB0" on Linux, "COM3" on Windows),
    // "COMn" on every system, or a path (anything containing a '/'). The
    // system device also takes serial servers on the network,
    // "tcp://HOST:PORT" and "rfc2217://HOST:PORT" (platform/NetworkPort.h).
    // Returns false when the device cannot be opened or is held by another
    // process; LastError() tells why.
    virtual bool Open(const char* name) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;

    // Reads the current line settings (so they can be changed and applied).
    virtual bool FetchLineSettings() = 0;
    // Applies 8N1 raw at the given rate. An unsupported rate is an error.
    virtual bool ApplyLineSettings(int baudRate) = 0;

    // Reads up to count bytes into dest. Returns when count bytes have
    // arrived or timeoutMs has passed, whichever comes first. *received is
    // set to the number of bytes stored. Returns false on a device error
    // (including a device that has gone away); a read that simply times out
    // is a success with fewer bytes.
    virtual bool Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) = 0;

    // Writes all bytes, blocking. *written is set to the number written.
    virtual bool Write(const uint8_t* src, size_t count, size_t* written) = 0;

    // True when the open device has gone (unplugged, the other end hung
    // up), found out without reading or waiting, so that a long pause can
    // end as soon as the receiver is gone. A device that cannot tell says
    // false; its loss then shows at the next read or write.
    virtual bool HasGone() { return false; }

    // False when a rate set with ApplyLineSettings cannot reach the line
    // (a raw TCP serial server, whose port keeps the rate it was set to):
    // the receiver must then not be asked to change its rate either.
    virtual bool CanChangeRate() const { return true; }

    // The system error code of the last failure (errno, GetLastError()).
    virtual int LastError() const = 0;
};

// The production serial device of this operating system.
std::unique_ptr<ISerialDevice> CreateSystemSerialDevice();

// For a program that is being interrupted (Ctrl+C), called from its signal
// handler just before it exits: gives up every system serial device the
// process has open, undoing what would outlive the process (on Linux a
// tty's exclusive mode, which refuses the next program that opens it).
// Only calls that are safe in a signal handler; the devices are closed.
void ReleaseSerialDevicesOnInterrupt();

} // namespace qvr
