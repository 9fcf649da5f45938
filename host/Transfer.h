// One port of the loaded engine, driven through its exports in the order a host follows, and the record
// loops of an import and an export on top of it.
//
// TPortSession owns one port handle: EngineInit in the constructor, log events collected (and echoed to
// the error stream as UTF-8) from then on. An import port is finished with EngineFina when the session
// ends. An export port is finished only by Finish(): EngineFina is what writes the device file, so a
// session abandoned on an error leaves the port unfinished and the device file untouched (the engine
// drops unfinished ports when it is unloaded).
//
// TImportCursor / TExportCursor bind one value procedure per column from FieldGetType and FieldGetProc,
// once, and move values as GBK bytes. Not thread-safe; one thread per session.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/EngineLib.h"

namespace halvern::host {

// A failure the command reports and ends with ExitFailure.
class EHostError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TPortSession {
 public:
  // Throws EHostError when EngineInit fails. Err receives each log event as it arrives (may be null).
  TPortSession(TEngineLib& Engine, int32_t Kind, std::ostream* Err);
  ~TPortSession();
  TPortSession(const TPortSession&) = delete;
  TPortSession& operator=(const TPortSession&) = delete;

  uint32_t Handle() const noexcept { return FHandle; }
  TEngineLib& Engine() const noexcept { return FEngine; }

  // EngineSetOptions with a GBK options text; an empty text is not sent.
  void SetOptions(const std::string& Gbk);
  // EngineGetOptions: the port's options text (GBK).
  std::string Options() const;
  // FieldGetName for every column (GBK).
  std::vector<std::string> ColumnNames() const;

  // EngineFina; for an export port this writes the device file.
  void Finish();

  // Log events so far (code 35 texts, GBK).
  const std::vector<std::string>& Events() const noexcept { return FEvents; }
  bool Failed() const noexcept { return !FEvents.empty(); }

 private:
  static void HV_STDCALL OnLog(void* UserData, int32_t Code, const char* Text);

  TEngineLib& FEngine;
  int32_t FKind;
  std::ostream* FErr;
  uint32_t FHandle = 0;
  bool FFinished = false;
  std::vector<std::string> FEvents;
};

class TImportCursor {
 public:
  // Binds the read procedure of every column; throws EHostError for a column type it cannot read.
  explicit TImportCursor(TPortSession& Session);

  size_t ColumnCount() const noexcept { return FProcs.size(); }
  void First();  // MoveFirst: loads the device file
  bool Eof() const;
  void Next();
  // The current record's value of one column (GBK), under the engine's size/copy rule; valid until the
  // next call.
  std::string_view Value(size_t Column);
  // The current record's values, one per column.
  void Read(std::vector<std::string>& Values);

 private:
  TEngineLib& FEngine;
  uint32_t FHandle;
  std::vector<HV_READ_TEXT_PROC> FProcs;
  std::vector<char> FBuffer;
};

class TExportCursor {
 public:
  explicit TExportCursor(TPortSession& Session);

  size_t ColumnCount() const noexcept { return FTextProcs.size(); }
  // Append, one value per column (missing values stay empty), Post.
  void Write(const std::vector<std::string>& Values);
  // Append alone: the port then writes its file (the title line, if any) even with no record posted.
  void Begin();

 private:
  TEngineLib& FEngine;
  uint32_t FHandle;
  // Per column: the plain text procedure for text columns, else the converting one.
  std::vector<HV_WRITE_TEXT_PROC> FTextProcs;
  std::vector<HV_WRITE_VALUE_TEXT_PROC> FValueProcs;
};

// The log events of a session as lines for the error stream (UTF-8).
std::string DescribeEvent(int32_t Code, const std::string& Gbk);

}  // namespace halvern::host
