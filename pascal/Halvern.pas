{ Halvern transport engine: the Pascal view of include/halvern.h, one to one, for Delphi and for
  Free Pascal in Delphi mode. Names, constants and parameter orders are the header's; 32-bit integers
  and handles are LongInt / LongWord, and every pointer parameter is a pointer type (PAnsiChar,
  PLongInt, PLongWord, Pointer), never var, so calls read the same as in C.

  - Every export and procedure type is stdcall on Windows and cdecl elsewhere.
  - HV_PROC, the generic procedure pointer of EngineSetEvent and FieldGetProc, is a Pointer: assign
    the result of FieldGetProc to a variable of the matching procedure type with
    @Variable := FieldGetProc(...), and pass an event procedure as @Procedure.
  - Texts are GBK bytes (PAnsiChar), wide texts UTF-16 (PWord); sizes are byte counts. Texts out are
    never zero-terminated: call once with a nil Buffer to learn Size^, then with a buffer that large.
  - Truth values are -1 (true) and 0 (false); IsEof answers 1 at the end, 0 before it, -1 for an
    unusable handle; ConfigCheckSucceed answers 0 when the entries are valid.
  On Windows the unit binds Halvern.dll by name; elsewhere it links libhalvern (libhalvern.so at
  link time, libhalvern.so.1 at run time). }
unit Halvern;

{$IFDEF FPC}
{$MODE DELPHI}
{$PACKRECORDS C}
{$ENDIF}

interface

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

  { The library's version; the major number changes only when the binary interface does. }
  HALVERN_VERSION_MAJOR = 1;
  HALVERN_VERSION_MINOR = 0;
  HALVERN_VERSION_PATCH = 0;
  HALVERN_VERSION_STRING = '1.0.0';

  { Result codes. }
  ENGINE_OK = 0;
  ENGINE_ERR_TYPE = $10000002;
  ENGINE_ERR_HANDLE = $10000003;
  ENGINE_ERR_CREATE = $10000004;
  CONFIG_ERR_HANDLE = $20000003;

  { Port types of EngineInit; directions of FieldGetProc. }
  ENGINE_PORT_IMPORT = 1;
  ENGINE_PORT_EXPORT = 2;
  FIELD_DIR_READ = 1;
  FIELD_DIR_WRITE = 2;

  { The engine type EngineGetType answers. }
  ENGINE_TYPE_CE_TEXT = 3;

  { Event kinds of EngineSetEvent. }
  EVENT_LOG_MESSAGE = $10001;
  EVENT_SHOW_HINT = $10002;

  { The log code of every transfer failure. }
  EVENT_CODE_TRANSFER = 35;

  { Field type codes (FieldGetType, FieldGetProc). Every column of this engine is HV_FT_STRING. }
  HV_FT_UNKNOWN = 0; { handled like HV_FT_STRING }
  HV_FT_BYTE = 1;
  HV_FT_WORD = 2;
  HV_FT_LONGWORD = 3;
  HV_FT_SHORTINT = 4;
  HV_FT_SMALLINT = 5;
  HV_FT_INTEGER = 6;
  HV_FT_INT64 = 7;
  HV_FT_BOOLEAN = 8;
  HV_FT_SINGLE = 17;
  HV_FT_DOUBLE = 18;
  HV_FT_EXTENDED = 19; { passed as text }
  HV_FT_GUID = 33;
  HV_FT_TIME = 49;
  HV_FT_DATE = 50;
  HV_FT_DATETIME = 51;
  HV_FT_STRING = 65; { GBK bytes }
  HV_FT_WIDESTRING = 66; { UTF-16 }
  HV_FT_BLOB = 67; { not offered }

type
  { Layout of the Windows SYSTEMTIME record (16 bytes). }
  PHV_SYSTEMTIME = ^HV_SYSTEMTIME;
  HV_SYSTEMTIME = record
    wYear: Word;
    wMonth: Word;
    wDayOfWeek: Word; { 0 = Sunday }
    wDay: Word;
    wHour: Word;
    wMinute: Word;
    wSecond: Word;
    wMilliseconds: Word;
  end;

  { Layout of the Windows GUID record (16 bytes). }
  PHV_GUID = ^HV_GUID;
  HV_GUID = record
    Data1: LongWord;
    Data2: Word;
    Data3: Word;
    Data4: array[0..7] of Byte;
  end;

  { The generic procedure pointer of EngineSetEvent and FieldGetProc. }
  HV_PROC = Pointer;

  { Host event procedures. UserData is the value given to EngineSetEvent. }
  HV_LOG_PROC = procedure(UserData: Pointer; Code: LongInt; Text: PAnsiChar); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF};
  HV_HINT_PROC = procedure(UserData: Pointer; Caption: PAnsiChar; Text: PAnsiChar); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF};

  { Value procedures returned by FieldGetProc(Direction, FieldType); the pair is given after each. }
  HV_READ_TEXT_PROC = function(Handle: LongWord; Index: LongInt; Buffer: PAnsiChar; Size: PLongInt): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (1, 0|65) and (1, 19) }
  HV_READ_INTEGER_PROC = function(Handle: LongWord; Index: LongInt): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (1, 1..6|8) }
  HV_READ_INT64_PROC = function(Handle: LongWord; Index: LongInt): Int64; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (1, 7) }
  HV_READ_SINGLE_PROC = function(Handle: LongWord; Index: LongInt): Single; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (1, 17) }
  HV_READ_DOUBLE_PROC = function(Handle: LongWord; Index: LongInt): Double; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (1, 18) }
  HV_READ_GUID_PROC = procedure(Out_: PHV_GUID; Handle: LongWord; Index: LongInt); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (1, 33) }
  HV_READ_DATETIME_PROC = procedure(Out_: PHV_SYSTEMTIME; Handle: LongWord; Index: LongInt); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (1, 49..51) }
  HV_READ_WIDETEXT_PROC = function(Handle: LongWord; Index: LongInt; Buffer: PWord; Size: PLongInt): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (1, 66); Size in bytes }
  HV_READ_BLOB_PROC = function(A1, A2, A3, A4: LongInt; Size: PLongInt): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (1, 67): Size^ = -1, result 0 }
  HV_WRITE_TEXT_PROC = procedure(Handle: LongWord; Index: LongInt; Text: PAnsiChar; Length: LongInt); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (2, 0|65) }
  HV_WRITE_INTEGER_PROC = procedure(Handle: LongWord; Index: LongInt; Value: LongInt); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (2, 1..6|8) }
  HV_WRITE_INT64_PROC = procedure(Handle: LongWord; Index: LongInt; Value: Int64); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (2, 7) }
  HV_WRITE_SINGLE_PROC = procedure(Handle: LongWord; Index: LongInt; Value: Single); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (2, 17) }
  HV_WRITE_DOUBLE_PROC = procedure(Handle: LongWord; Index: LongInt; Value: Double); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (2, 18) }
  HV_WRITE_VALUE_TEXT_PROC = function(Handle: LongWord; Index: LongInt; Text: PAnsiChar; Length: PLongInt): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (2, 19): any column type }
  HV_WRITE_GUID_PROC = procedure(Handle: LongWord; Index: LongInt; Value: PHV_GUID); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (2, 33) }
  HV_WRITE_DATETIME_PROC = procedure(Handle: LongWord; Index: LongInt; Value: PHV_SYSTEMTIME); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (2, 49..51) }
  HV_WRITE_WIDETEXT_PROC = function(Handle: LongWord; Index: LongInt; Buffer: PWord; Size: PLongInt): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (2, 66); Size in bytes }
  HV_WRITE_BLOB_PROC = function(A1, A2, A3, A4, A5: LongInt): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; { (2, 67): ignored, result 0 }

{ The 34 exports, in the header's order. }
function EngineInit(PortType: LongInt; Handle: PLongWord): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineInit';
procedure EngineFina(Handle: LongWord); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineFina';
function EngineGetType: LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineGetType';
function EngineGetName(Buffer: PAnsiChar; Size: PLongInt): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineGetName';
function EngineDiscription(Buffer: PAnsiChar; Size: PLongInt): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineDiscription';
procedure EngineSetEvent(Handle: LongWord; UserData: Pointer; EventKind: LongInt; Callback: HV_PROC); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineSetEvent';
function EngineGetOptions(Handle: LongWord; Buffer: PAnsiChar; Size: PLongInt): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineGetOptions';
function EngineSetOptions(Handle: LongWord; Options: PAnsiChar): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'EngineSetOptions';
procedure MoveFirst(Handle: LongWord); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'MoveFirst';
procedure MoveNext(Handle: LongWord); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'MoveNext';
function IsEof(Handle: LongWord): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'IsEof';
function DataCount(Handle: LongWord): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'DataCount';
procedure Append(Handle: LongWord); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'Append';
procedure Post(Handle: LongWord); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'Post';
function ConfigInit(Handle: LongWord; ParentWindow: Pointer; Flag: LongInt; Page: PLongWord): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigInit';
procedure ConfigFina(Page: LongWord); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigFina';
function ConfigIsBOF(Page: LongWord): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigIsBOF';
function ConfigIsEOF(Page: LongWord): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigIsEOF';
function ConfigCheckSucceed(Page: LongWord): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigCheckSucceed';
procedure ConfigNext(Page: LongWord); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigNext';
procedure ConfigPrevious(Page: LongWord); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigPrevious';
procedure ConfigFirst(Page: LongWord); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigFirst';
procedure ConfigLast(Page: LongWord); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigLast';
procedure ConfigUpdate(Page: LongWord); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigUpdate';
function ConfigPort(Page: LongWord): LongWord; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'ConfigPort';
function FieldGetCount(Handle: LongWord): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldGetCount';
function FieldSetCount(Handle: LongWord; Count: LongInt): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldSetCount';
function FieldGetName(Handle: LongWord; Index: LongInt; Buffer: PAnsiChar; Size: PLongInt): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldGetName';
procedure FieldSetName(Handle: LongWord; Index: LongInt; Text: PAnsiChar; Length: LongInt); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldSetName';
function FieldGetType(Handle: LongWord; Index: LongInt): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldGetType';
procedure FieldSetType(Handle: LongWord; Index: LongInt; FieldType: LongInt); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldSetType';
function FieldGetProc(Direction: LongInt; FieldType: LongInt): HV_PROC; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldGetProc';
function FieldFindbyName(Handle: LongWord; Name: PAnsiChar): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldFindbyName';
function FieldIsEmpty(Handle: LongWord; Index: LongInt): LongInt; {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external HalvernLibrary name 'FieldIsEmpty';

implementation

end.
