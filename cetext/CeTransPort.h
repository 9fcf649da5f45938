// The device text port: the common base of the import and export ports. It holds a port's three
// settings (device file path, title flag, ordered column titles), turns them into the options text and
// back, hands out the host's event sink and performs the one device exchange both ports use.
//
// Ports are reference counted through their interfaces (an atomic count of their own; the port destroys
// itself when it drops to zero) and are created by factories (cetext/CeFactories.h, CreateSameClass),
// which load the class's default columns before the object is handed out. Not thread-safe: a port is
// driven from the host's calling thread.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "transport/EditablePort.h"
#include "transport/TransDefine.h"

namespace halvern {

class TStream;

// GBK texts of the engine's ports.
inline constexpr const char* SCePortName =
    "WinCe\xC9\xE8\xB1\xB8\xCE\xC4\xB1\xBE\xB8\xF1\xCA\xBD";  // WinCe设备文本格式
// 无法连接设备,请检查驱动程序是否安装正确
inline constexpr const char* SNoDeviceConnection =
    "\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3\xC9\xE8\xB1\xB8,"
    "\xC7\xEB\xBC\xEC\xB2\xE9\xC7\xFD\xB6\xAF\xB3\xCC\xD0\xF2"
    "\xCA\xC7\xB7\xF1\xB0\xB2\xD7\xB0\xD5\xFD\xC8\xB7";

class TCeTransPort : public TObject,
                     public ITransNode,
                     public ITransPort,
                     public ITransObject,
                     public IEditablePort {
 public:
  TCeTransPort(const TCeTransPort&) = delete;
  TCeTransPort& operator=(const TCeTransPort&) = delete;

  // Settings, read by the ports when a transfer starts and by the configuration page.
  std::string FFileName;  // GBK path on the device, used exactly as given
  bool FHasTitle = false;
  std::vector<std::string> FColumns;
  int32_t FKind = 0;

  // The host's event sink set by SetEvents, or empty.
  const TComPtr<ITransEvents>& Events() const override { return FEvents; }
  // Sends Text to the event sink with EVENT_CODE_TRANSFER; nothing when no sink is set.
  void ReportError(const std::string& Text);

  // A new, uninitialised port of the same class, holding that class's default columns (the working copy
  // of a configuration page is made this way).
  virtual TComPtr<ITransNode> CreateSameClass() const = 0;
  // The class's default column titles.
  virtual std::vector<std::string> DefaultColumns() const { return {}; }
  void LoadDefaultColumns() { FColumns = DefaultColumns(); }

  enum class TDirection { FromDevice, ToDevice };
  enum class TExchangeResult { Success, NoConnection, TransferFailed };
  // One exchange over one device connection, waited for at most HALVERN_CONNECT_TIMEOUT seconds (10 by
  // default). FromDevice appends the whole device file FFileName to Buffer; ToDevice replaces that file
  // with the whole of Buffer, writing it under a temporary name first so that a failure leaves the
  // previous file as it was (device/DeviceFileReplace.h). Every failure has been reported with code 35
  // before the return, after the connection ended; nothing is raised but memory running out
  // (IsOutOfMemory), which is no failure of the device: it leaves once the connection has ended, for
  // the caller to tell.
  TExchangeResult ExchangeWithDevice(TDirection Direction, TStream& Buffer);

  // IInterface
  HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) override;
  int32_t HV_STDCALL AddRef() override;
  int32_t HV_STDCALL Release() override;

  // ITransNode
  std::string HV_STDCALL GetName() override { return SCePortName; }
  int32_t HV_STDCALL GetKind() override { return FKind; }
  void HV_STDCALL GetPort(ITransPort** Port) override;
  void HV_STDCALL SetEvents(ITransEvents* Events) override { FEvents = TComPtr<ITransEvents>(Events); }
  bool HV_STDCALL Initialize(int32_t Kind) override;
  bool HV_STDCALL IsReady() override { return FKind == ENGINE_PORT_IMPORT || FKind == ENGINE_PORT_EXPORT; }
  void HV_STDCALL Close() override {}
  bool HV_STDCALL CreateConfigPage(IConfigPageEx** Page) override;
  std::string HV_STDCALL GetOptions() override;
  int32_t HV_STDCALL SetOptions(const std::string& Text) override;
  bool HV_STDCALL HasConfigPage() override { return true; }

  // ITransPort
  int32_t HV_STDCALL GetFieldCount() override { return static_cast<int32_t>(FColumns.size()); }
  void HV_STDCALL FindField(const std::string& Name, ITransField** Field) override;
  // The base has no columns; the ports hand out their column object.
  void HV_STDCALL GetField(int32_t Index, ITransField** Field) override;

  // ITransObject
  TObject* HV_STDCALL GetObject() override { return this; }

  // IEditablePort: what the configuration page edits.
  ITransNode& Node() override { return *this; }
  TPortSettings Settings() const override { return {FFileName, FHasTitle, FColumns}; }
  // All three, or none should memory run out.
  void ApplySettings(const TPortSettings& Settings) override;
  TComPtr<ITransNode> CreateWorkingCopy() const override;

 protected:
  TCeTransPort() = default;
  ~TCeTransPort() override = default;

  // Points *Obj at interface Iid of this port without counting; false when the class lacks it. The
  // ports add their direction interface and ask the base for the rest.
  virtual bool GetInterface(const TGuid& Iid, void** Obj);
  // Moves Settings into the port's three settings; cannot fail.
  void TakeSettings(TPortSettings&& Settings) noexcept;

  TComPtr<ITransEvents> FEvents;
  std::atomic<int32_t> FRefCount{0};
};

// Makes a port of class T with its default columns loaded, as its first counted reference. The defaults
// are loaded here, after construction, because a base constructor cannot reach the derived class's
// DefaultColumns.
template <class T>
TComPtr<ITransNode> MakeCePort() {
  T* Port = new T();
  TComPtr<ITransNode> Node(static_cast<ITransNode*>(Port));
  Port->LoadDefaultColumns();
  return Node;
}

}  // namespace halvern
