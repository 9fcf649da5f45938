{ Halvern transport engine for Delphi and Free Pascal (modes delphi and delphiunicode): the
  declarations of include/halvern.h, one to one, with the 34 exports bound when the program loads
  (Halvern.dll by name on Windows, libhalvern elsewhere: linked as libhalvern.so, loaded as
  libhalvern.so.1). A host that must start without the library, or choose its file, uses the unit
  HalvernDynamic instead (same declarations and helpers; HalvernLoad binds the exports). Use one of the
  two units, not both.

  - Calling convention: stdcall on Windows, cdecl elsewhere, for exports, value procedures and events.
  - Integers are Int32 and UInt32 (handles are UInt32), as in the header; every pointer parameter is a
    pointer type (PAnsiChar, PInt32, PUInt32), never var: pass @Size, nil.
  - Texts are GBK bytes, never string: in Delphi 2009 and later (and Free Pascal's delphiunicode mode)
    string is UTF-16, and PAnsiChar(S) of a string hands the engine UTF-16 bytes that it reads as a
    one-letter text, without any error. Use the helpers, which convert with the system's code page 936
    conversion and do the two-call rule: HvSetOptions/HvGetOptions, HvFieldName, HvFindField and
    HvReadText/HvWriteText take and give string; the ...Gbk forms take and give GbkString
    (AnsiString(936)) bytes unchanged. Free Pascal 3.2 cannot turn a literal into a GbkString while
    compiling ("Unknown codepage 936"): write HvGbk('...'), or use the string forms.
  - Events: declare the procedure with the calling convention above, exactly as THvLogProc or
    THvHintProc, and set it with HvSetLogEvent(Port, UserData, OnLog) / HvSetHintEvent (no @), which do
    not compile for a wrong signature; EngineSetEvent takes any pointer and checks nothing. An event's
    Text is GBK: HvEventText(Text) gives a string.
  - Append: this unit's Append hides System.Append (the text file routine) in every unit that
    uses Halvern. Write Halvern.Append(Port) for the engine's, and System.Append(F) for a text file.
  - ConfigInit's ParentWindow is a THvWindow: the HWND of the host's window on Windows (Form.Handle),
    0 elsewhere for the headless page.
  - Value procedures: assign FieldGetProc's result to a variable of the matching type with
    @Proc := FieldGetProc(Direction, FieldType). Truth values are -1 (true) and 0 (false); IsEof
    answers 1 at the end, 0 before it and -1 for an unusable handle; ConfigCheckSucceed answers 0 when
    the entries are valid.
  - The options text's keys are HV_OPTION_FILE_NAME, HV_OPTION_HAS_TITLE and HV_OPTION_COLUMNS (GBK).
  - Wide values (HV_FT_WIDESTRING) are a text column's GBK value converted to and from UTF-16.
  - Memory running out inside a call on a port fails the port: one code-35 event (the system's text
    for error 8), then IsEof answers 1, no record moves and EngineFina writes nothing. }
unit Halvern;

{$IFDEF FPC}
{$MODE DELPHI}
{$PACKRECORDS C}
{$ENDIF}

interface

{$IFDEF MSWINDOWS}
uses
  Windows;
{$ENDIF}

const
{$IFDEF MSWINDOWS}
  HalvernLibrary = 'Halvern.dll';
{$ELSE}
{$IFDEF FPC}
  HalvernLibrary = 'halvern'; { linked as -lhalvern }
{$ELSE}
  HalvernLibrary = 'libhalvern.so.1'; { loaded by its SONAME }
{$ENDIF}
{$ENDIF}

{$I HalvernDecl.inc}

{ The 34 exports, in the header's order. }
function EngineInit(PortType: Int32; Handle: PUInt32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineInit';
procedure EngineFina(Handle: UInt32); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineFina';
function EngineGetType: Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineGetType';
function EngineGetName(Buffer: PAnsiChar; Size: PInt32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineGetName';
function EngineDiscription(Buffer: PAnsiChar; Size: PInt32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineDiscription';
procedure EngineSetEvent(Handle: UInt32; UserData: Pointer; EventKind: Int32; Callback: HV_PROC); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineSetEvent';
function EngineGetOptions(Handle: UInt32; Buffer: PAnsiChar; Size: PInt32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineGetOptions';
function EngineSetOptions(Handle: UInt32; Options: PAnsiChar): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineSetOptions';
procedure MoveFirst(Handle: UInt32); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'MoveFirst';
procedure MoveNext(Handle: UInt32); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'MoveNext';
function IsEof(Handle: UInt32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'IsEof';
function DataCount(Handle: UInt32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'DataCount';
procedure Append(Handle: UInt32); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'Append';
procedure Post(Handle: UInt32); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'Post';
function ConfigInit(Handle: UInt32; ParentWindow: THvWindow; Flag: Int32; Page: PUInt32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigInit';
procedure ConfigFina(Page: UInt32); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigFina';
function ConfigIsBOF(Page: UInt32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigIsBOF';
function ConfigIsEOF(Page: UInt32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigIsEOF';
function ConfigCheckSucceed(Page: UInt32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigCheckSucceed';
procedure ConfigNext(Page: UInt32); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigNext';
procedure ConfigPrevious(Page: UInt32); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigPrevious';
procedure ConfigFirst(Page: UInt32); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigFirst';
procedure ConfigLast(Page: UInt32); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigLast';
procedure ConfigUpdate(Page: UInt32); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigUpdate';
function ConfigPort(Page: UInt32): UInt32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigPort';
function FieldGetCount(Handle: UInt32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldGetCount';
function FieldSetCount(Handle: UInt32; Count: Int32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldSetCount';
function FieldGetName(Handle: UInt32; Index: Int32; Buffer: PAnsiChar; Size: PInt32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldGetName';
procedure FieldSetName(Handle: UInt32; Index: Int32; Text: PAnsiChar; Length: Int32); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldSetName';
function FieldGetType(Handle: UInt32; Index: Int32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldGetType';
procedure FieldSetType(Handle: UInt32; Index: Int32; FieldType: Int32); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldSetType';
function FieldGetProc(Direction: Int32; FieldType: Int32): HV_PROC; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldGetProc';
function FieldFindbyName(Handle: UInt32; Name: PAnsiChar): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldFindbyName';
function FieldIsEmpty(Handle: UInt32; Index: Int32): Int32; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldIsEmpty';

implementation

{$IFDEF FPC}
{$IFDEF UNIX}
uses
  cwstring; { the code page 936 conversions of the helpers }
{$ENDIF}
{$ENDIF}

{$I HalvernHelpers.inc}

end.
