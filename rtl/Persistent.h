// TPersistent: root of the settings objects that can copy their settings to another object of their own
// class (the text reader and writer, the options classes built on them).
//
// CopySettingsTo refuses a destination of another class with EConvertError "Cannot assign a %s to a %s"
// (source class name first, then the destination's). Objects of this family are not thread-safe.
#pragma once

namespace halvern {

class TPersistent {
 public:
  virtual ~TPersistent() = default;

  // The class name used in messages, e.g. "TKtTextReader".
  virtual const char* ClassName() const noexcept = 0;

  // Copies this object's settings to Dest. The base refuses every destination.
  virtual void CopySettingsTo(TPersistent& Dest) const;

 protected:
  TPersistent() = default;
  TPersistent(const TPersistent&) = default;
  TPersistent& operator=(const TPersistent&) = default;

  // Raises the conversion error for copying this object's settings to Dest.
  [[noreturn]] void AssignError(const TPersistent& Dest) const;
};

}  // namespace halvern
