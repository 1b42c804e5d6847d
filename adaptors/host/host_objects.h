// Interfaces of the objects the host passes to the factories, the host's
// message-queue exception, and the callback types the actions take.
//
// The host implements these; the library only calls the operations named in
// each comment and keeps the objects alive through the shared pointers it is
// given. Slot order matters to the host's binary interface, so operations are
// declared in the host's order even where the library uses only some of them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>

#include "platform/comutil.h"
#include "platform/wintypes.h"

namespace Veltra {
namespace Util {

namespace Collections {

// A host-owned list of strings (market sectors, tag type names).
class IStringListImpl {
public:
    virtual std::uint32_t Count() = 0;
    // Entry at 0-based `index`, for index < Count().
    virtual _bstr_t Item(std::uint32_t index) = 0;
    virtual ~IStringListImpl() {}
};

}  // namespace Collections

namespace Log {

// The host's diagnostic sink; one 8-bit line per call. The result is not
// looked at.
class ILogInfoImpl {
public:
    virtual bool Log(const std::string& message) = 0;
    virtual ~ILogInfoImpl() {}
};

}  // namespace Log

namespace PersistentStorage {

// The host's configuration switch for smart-tag recognition.
class IPersistentSettingReaderImpl {
public:
    virtual bool IsEnabled() = 0;
    virtual ~IPersistentSettingReaderImpl() {}
};

}  // namespace PersistentStorage

namespace IPC {

// Raised by host callbacks when the exchange with the terminal over its
// message queue fails. The library never raises it.
class MessageQueueException : public std::runtime_error {
public:
    explicit MessageQueueException(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace IPC

}  // namespace Util

namespace Penwork {
namespace ToolIPC {

// A command prepared by the tool channel.
class IToolCommandImpl {
public:
    virtual _bstr_t Name() = 0;  // not used by the library
    // Runs the command; `justInitialized` is 1 when the tool proxy was set up
    // right before. The result is not looked at.
    virtual HRESULT Execute(int justInitialized, BSTR arg1, BSTR arg2, BSTR arg3, BSTR arg4) = 0;
    virtual ~IToolCommandImpl() {}
};

// The add-in's channel to its tools. The library calls only IsReady and
// GetCommand; the first four operations belong to the host.
class IToolCmdImpl {
public:
    virtual HRESULT Open() = 0;
    virtual HRESULT Close() = 0;
    virtual HRESULT Attach(HWND window) = 0;
    virtual HRESULT Detach() = 0;
    virtual bool IsReady() = 0;
    virtual boost::shared_ptr<IToolCommandImpl> GetCommand() = 0;
    virtual ~IToolCmdImpl() {}
};

}  // namespace ToolIPC
}  // namespace Penwork
}  // namespace Veltra

namespace Veltra {
namespace Penwork {
namespace Recognizer {

// Host callbacks handed to the action factories.
// Given a bare tag type name, returns that type's verb specification.
typedef boost::function<_bstr_t(const _bstr_t&)> VerbSourceFn;
// Maps a name to another (kept by the terminal command action, unused).
typedef boost::function<_bstr_t(const _bstr_t&)> NameMapperFn;
// Delivers an 8-bit command to the terminal with a target number.
typedef boost::function<bool(const char*, unsigned short)> CommandSenderFn;
// Returns the caption of the options verb.
typedef boost::function<_bstr_t()> CaptionSourceFn;

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
