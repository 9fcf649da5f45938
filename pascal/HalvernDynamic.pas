{ Halvern transport engine for Delphi and Free Pascal, bound at run time: the unit Halvern's
  declarations and helpers (see its opening comment, which holds here too), with the 34 exports as
  variables that HalvernLoad fills. A program that uses this unit starts without the library, and the
  calls read as with the static unit once HalvernLoad has answered True:

    if not HalvernLoad then
      raise Exception.Create('Halvern: ' + HalvernMissing);
    EngineInit(ENGINE_PORT_IMPORT, @Port);

  Use this unit or Halvern, not both. Load and unload from one thread, while no call is running. }
unit HalvernDynamic;

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
  HalvernLibrary = 'libhalvern.so.1'; { the SONAME }
{$ENDIF}

{$I HalvernDecl.inc}

var
  { The 34 exports, nil until HalvernLoad binds them. Append hides System.Append here too. }
  EngineInit: HV_PFN_EngineInit;
  EngineFina: HV_PFN_EngineFina;
  EngineGetType: HV_PFN_EngineGetType;
  EngineGetName: HV_PFN_EngineGetName;
  EngineDiscription: HV_PFN_EngineDiscription;
  EngineSetEvent: HV_PFN_EngineSetEvent;
  EngineGetOptions: HV_PFN_EngineGetOptions;
  EngineSetOptions: HV_PFN_EngineSetOptions;
  MoveFirst: HV_PFN_MoveFirst;
  MoveNext: HV_PFN_MoveNext;
  IsEof: HV_PFN_IsEof;
  DataCount: HV_PFN_DataCount;
  Append: HV_PFN_Append;
  Post: HV_PFN_Post;
  ConfigInit: HV_PFN_ConfigInit;
  ConfigFina: HV_PFN_ConfigFina;
  ConfigIsBOF: HV_PFN_ConfigIsBOF;
  ConfigIsEOF: HV_PFN_ConfigIsEOF;
  ConfigCheckSucceed: HV_PFN_ConfigCheckSucceed;
  ConfigNext: HV_PFN_ConfigNext;
  ConfigPrevious: HV_PFN_ConfigPrevious;
  ConfigFirst: HV_PFN_ConfigFirst;
  ConfigLast: HV_PFN_ConfigLast;
  ConfigUpdate: HV_PFN_ConfigUpdate;
  ConfigPort: HV_PFN_ConfigPort;
  FieldGetCount: HV_PFN_FieldGetCount;
  FieldSetCount: HV_PFN_FieldSetCount;
  FieldGetName: HV_PFN_FieldGetName;
  FieldSetName: HV_PFN_FieldSetName;
  FieldGetType: HV_PFN_FieldGetType;
  FieldSetType: HV_PFN_FieldSetType;
  FieldGetProc: HV_PFN_FieldGetProc;
  FieldFindbyName: HV_PFN_FieldFindbyName;
  FieldIsEmpty: HV_PFN_FieldIsEmpty;

{ Loads FileName (by name: the system's search order; or a path) and binds all 34 exports by name.
  True when every one was found. Otherwise nothing stays bound or loaded, and HalvernMissing names what
  was missing: the exports the library lacks, comma-separated, or the file when it could not be loaded
  at all. A library already loaded is unloaded first. }
function HalvernLoad(const FileName: string = HalvernLibrary): Boolean;
{ What the last HalvernLoad missed; empty after one that succeeded. }
function HalvernMissing: string;
function HalvernLoaded: Boolean;
{ Unbinds the exports and frees the library. Finish every port and page first. }
procedure HalvernUnload;

implementation

{$IFDEF FPC}
uses
  dynlibs{$IFDEF UNIX}, cwstring{$ENDIF};
{$ELSE}
{$IFNDEF MSWINDOWS}
uses
  SysUtils;
{$ENDIF}
{$ENDIF}

{$I HalvernHelpers.inc}

type
{$IFDEF FPC}
  THvLibrary = TLibHandle;
{$ELSE}
  THvLibrary = HMODULE;
{$ENDIF}

var
  GLibrary: THvLibrary = 0;
  GMissing: string = '';

procedure Bind(Lib: THvLibrary; var Slot; const Name: AnsiString);
var
  Address: Pointer;
begin
{$IFDEF FPC}
  Address := GetProcedureAddress(Lib, Name);
{$ELSE}
{$IFDEF MSWINDOWS}
  Address := GetProcAddress(Lib, PAnsiChar(Name));
{$ELSE}
  Address := GetProcAddress(Lib, PChar(string(Name)));
{$ENDIF}
{$ENDIF}
  Pointer(Slot) := Address;
  if Address = nil then
  begin
    if GMissing <> '' then
      GMissing := GMissing + ', ';
    GMissing := GMissing + string(Name);
  end;
end;

procedure UnbindAll;
begin
  EngineInit := nil;
  EngineFina := nil;
  EngineGetType := nil;
  EngineGetName := nil;
  EngineDiscription := nil;
  EngineSetEvent := nil;
  EngineGetOptions := nil;
  EngineSetOptions := nil;
  MoveFirst := nil;
  MoveNext := nil;
  IsEof := nil;
  DataCount := nil;
  Append := nil;
  Post := nil;
  ConfigInit := nil;
  ConfigFina := nil;
  ConfigIsBOF := nil;
  ConfigIsEOF := nil;
  ConfigCheckSucceed := nil;
  ConfigNext := nil;
  ConfigPrevious := nil;
  ConfigFirst := nil;
  ConfigLast := nil;
  ConfigUpdate := nil;
  ConfigPort := nil;
  FieldGetCount := nil;
  FieldSetCount := nil;
  FieldGetName := nil;
  FieldSetName := nil;
  FieldGetType := nil;
  FieldSetType := nil;
  FieldGetProc := nil;
  FieldFindbyName := nil;
  FieldIsEmpty := nil;
end;

procedure HalvernUnload;
begin
  UnbindAll;
  if GLibrary <> 0 then
{$IFDEF FPC}
    UnloadLibrary(GLibrary);
{$ELSE}
    FreeLibrary(GLibrary);
{$ENDIF}
  GLibrary := 0;
end;

function HalvernLoad(const FileName: string): Boolean;
var
  Lib: THvLibrary;
{$IFDEF MSWINDOWS}
  OldMode: UINT;
{$ENDIF}
begin
  HalvernUnload;
  GMissing := '';
{$IFDEF MSWINDOWS}
  { A missing file or dependency answers False instead of showing the system's error box. }
  OldMode := SetErrorMode(SEM_FAILCRITICALERRORS or SEM_NOOPENFILEERRORBOX);
{$ENDIF}
{$IFDEF FPC}
  Lib := LoadLibrary(FileName);
{$ELSE}
  Lib := LoadLibrary(PChar(FileName));
{$ENDIF}
{$IFDEF MSWINDOWS}
  SetErrorMode(OldMode);
{$ENDIF}
  if Lib = 0 then
  begin
    GMissing := FileName;
    Result := False;
    Exit;
  end;
  Bind(Lib, EngineInit, 'EngineInit');
  Bind(Lib, EngineFina, 'EngineFina');
  Bind(Lib, EngineGetType, 'EngineGetType');
  Bind(Lib, EngineGetName, 'EngineGetName');
  Bind(Lib, EngineDiscription, 'EngineDiscription');
  Bind(Lib, EngineSetEvent, 'EngineSetEvent');
  Bind(Lib, EngineGetOptions, 'EngineGetOptions');
  Bind(Lib, EngineSetOptions, 'EngineSetOptions');
  Bind(Lib, MoveFirst, 'MoveFirst');
  Bind(Lib, MoveNext, 'MoveNext');
  Bind(Lib, IsEof, 'IsEof');
  Bind(Lib, DataCount, 'DataCount');
  Bind(Lib, Append, 'Append');
  Bind(Lib, Post, 'Post');
  Bind(Lib, ConfigInit, 'ConfigInit');
  Bind(Lib, ConfigFina, 'ConfigFina');
  Bind(Lib, ConfigIsBOF, 'ConfigIsBOF');
  Bind(Lib, ConfigIsEOF, 'ConfigIsEOF');
  Bind(Lib, ConfigCheckSucceed, 'ConfigCheckSucceed');
  Bind(Lib, ConfigNext, 'ConfigNext');
  Bind(Lib, ConfigPrevious, 'ConfigPrevious');
  Bind(Lib, ConfigFirst, 'ConfigFirst');
  Bind(Lib, ConfigLast, 'ConfigLast');
  Bind(Lib, ConfigUpdate, 'ConfigUpdate');
  Bind(Lib, ConfigPort, 'ConfigPort');
  Bind(Lib, FieldGetCount, 'FieldGetCount');
  Bind(Lib, FieldSetCount, 'FieldSetCount');
  Bind(Lib, FieldGetName, 'FieldGetName');
  Bind(Lib, FieldSetName, 'FieldSetName');
  Bind(Lib, FieldGetType, 'FieldGetType');
  Bind(Lib, FieldSetType, 'FieldSetType');
  Bind(Lib, FieldGetProc, 'FieldGetProc');
  Bind(Lib, FieldFindbyName, 'FieldFindbyName');
  Bind(Lib, FieldIsEmpty, 'FieldIsEmpty');
  GLibrary := Lib;
  Result := GMissing = '';
  if not Result then
    HalvernUnload;
end;

function HalvernMissing: string;
begin
  Result := GMissing;
end;

function HalvernLoaded: Boolean;
begin
  Result := GLibrary <> 0;
end;

end.
