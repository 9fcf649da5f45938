{ Compiled once per define by callback_signatures.sh: RIGHT must compile, every other variant must be
  refused at the HvSetLogEvent call, since each would corrupt the stack or the text on 32-bit Windows. }
program CallbackProbe;

{$MODE DELPHIUNICODE}

uses
  Halvern;

{$IFDEF RIGHT}
procedure OnLog(UserData: Pointer; Code: Int32; Text: PAnsiChar); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF};
{$ENDIF}
{$IFDEF NO_CONVENTION}
procedure OnLog(UserData: Pointer; Code: Int32; Text: PAnsiChar);
{$ENDIF}
{$IFDEF PCHAR_TEXT}
procedure OnLog(UserData: Pointer; Code: Int32; Text: PChar); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF};
{$ENDIF}
{$IFDEF HINT_SHAPE}
procedure OnLog(UserData: Pointer; Caption, Text: PAnsiChar); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF};
{$ENDIF}
begin
end;

begin
  HvSetLogEvent(0, nil, OnLog);
end.
