{ A Unicode host (string is UTF-16): options, column titles and values with Chinese text go through the
  unit's string helpers to the device and back, and must come back as the same strings, as the right
  GBK bytes, and the same through the engine's own wide procedure. Log events come through the typed
  setter. Prints "Unicode host: 4 records" and exits 0 when all is well. }
program UnicodeHost;

{$MODE DELPHIUNICODE}
{$CODEPAGE UTF8}

uses
  Halvern;

const
  Options = '文件名=\unicode.txt;'#13#10'数据列=编号,名称,"备 注";'#13#10'包含标题=1';
  Titles: array[0..2] of string = ('编号', '名称', '备 注');
  Records: array[0..3, 0..2] of string = (
    ('A1', '正常', '办公桌'),
    ('A 2', '盘亏|待查', ''),
    ('€5', '"引号"', '多行'#13#10'文本'),
    ('', 'ก', 'x'));
  { What the fourth record's Thai letter becomes: GBK cannot hold it. }
  Replaced = '?';

var
  Failures: Integer = 0;
  Logged: Integer = 0;

procedure Check(Ok: Boolean; const What: string);
begin
  if not Ok then
  begin
    WriteLn(ErrOutput, 'Unicode host: ', What);
    Inc(Failures);
  end;
end;

procedure OnLog(UserData: Pointer; Code: Int32; Text: PAnsiChar); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF};
begin
  WriteLn(ErrOutput, 'Unicode host: engine log ', Code, ': ', HvEventText(Text));
  Inc(PInteger(UserData)^);
end;

function Hex(const Bytes: GbkString): string;
const
  Digits: string = '0123456789ABCDEF';
var
  I: Integer;
begin
  Result := '';
  for I := 1 to Length(Bytes) do
    Result := Result + Digits[Ord(Bytes[I]) shr 4 + 1] + Digits[Ord(Bytes[I]) and 15 + 1];
end;

function OpenPort(PortType: Int32): UInt32;
var
  I: Integer;
begin
  Result := 0;
  Check(EngineInit(PortType, @Result) = ENGINE_OK, 'EngineInit failed');
  HvSetLogEvent(Result, @Logged, OnLog);
  Check(HvSetOptions(Result, Options) = ENGINE_OK, 'HvSetOptions failed');
  Check(Pos('文件名=\unicode.txt', HvGetOptions(Result)) = 1,
    'options came back as ' + HvGetOptions(Result));
  Check(FieldGetCount(Result) = 3, 'not three columns');
  for I := 0 to 2 do
    Check(HvFieldName(Result, I) = Titles[I], 'column title ' + Titles[I] + ' came back as ' +
      HvFieldName(Result, I));
  Check(HvFindField(Result, '名称') = 1, 'HvFindField does not find 名称');
  Check(Hex(HvFieldNameGbk(Result, 0)) = 'B1E0BAC5', '编号 is not B1 E0 BA C5 in GBK');
end;

procedure ExportRecords;
var
  Port: UInt32;
  R, C: Integer;
begin
  Port := OpenPort(ENGINE_PORT_EXPORT);
  for R := 0 to High(Records) do
  begin
    Halvern.Append(Port);
    for C := 0 to 2 do
      HvWriteText(Port, C, Records[R, C]);
    Post(Port);
  end;
  EngineFina(Port);
end;

{ The engine's wide procedure on the same value: its conversion and the unit's must agree. }
function ReadWide(Port: UInt32; Index: Int32): string;
var
  ReadWideText: HV_READ_WIDETEXT_PROC;
  Size: Int32;
begin
  Result := '';
  @ReadWideText := FieldGetProc(FIELD_DIR_READ, HV_FT_WIDESTRING);
  Size := 0;
  ReadWideText(Port, Index, nil, @Size);
  SetLength(Result, Size div 2);
  if (Size > 0) and (ReadWideText(Port, Index, PWideChar(Result), @Size) <> -1) then
    Result := '<not copied>';
end;

procedure ImportRecords;
var
  Port: UInt32;
  R, C: Integer;
  Expected: string;
begin
  Port := OpenPort(ENGINE_PORT_IMPORT);
  R := 0;
  MoveFirst(Port);
  while (IsEof(Port) = 0) and (R <= High(Records)) do
  begin
    for C := 0 to 2 do
    begin
      Expected := Records[R, C];
      if Expected = 'ก' then
        Expected := Replaced;
      Check(HvReadText(Port, C) = Expected, 'value ' + Expected + ' came back as ' + HvReadText(Port, C));
      Check(ReadWide(Port, C) = Expected, 'value ' + Expected + ' read wide as ' + ReadWide(Port, C));
    end;
    if R = 0 then
      Check(Hex(HvReadTextGbk(Port, 1)) = 'D5FDB3A3',
        '正常 is not D5 FD B3 A3 in GBK: ' + Hex(HvReadTextGbk(Port, 1)));
    MoveNext(Port);
    Inc(R);
  end;
  Check(R = Length(Records), 'not as many records as were written');
  EngineFina(Port);
end;

begin
  ExportRecords;
  ImportRecords;
  Check(Logged = 0, 'the engine logged a failure');
  if Failures = 0 then
    WriteLn('Unicode host: ', Length(Records), ' records')
  else
    Halt(1);
end.
