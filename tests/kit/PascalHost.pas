{ A host written against the Pascal unit: exports three records to the device through libhalvern and
  the emulator, imports them again and checks every value, the column titles and the version
  constants. Prints "Pascal host <version>: 3 records" and exits 0 when all is well. }
program PascalHost;

{$MODE DELPHI}

uses
  Halvern;

const
  { GBK keys: file name, columns, title line. }
  Options: AnsiString = #$CE#$C4#$BC#$FE#$C3#$FB'=\pascal.txt;'#13#10 +
    #$CA#$FD#$BE#$DD#$C1#$D0'=code,"full name",count;'#13#10 +
    #$B0#$FC#$BA#$AC#$B1#$EA#$CC#$E2'=1';
  Columns: array[0..2] of AnsiString = ('code', 'full name', 'count');
  Records: array[0..2, 0..2] of AnsiString = (
    ('P1', 'desk', '3'),
    ('P 2', 'a|b', ''),
    ('P3', #$D2#$CE#$D7#$D3, '12'));

var
  Failures: Integer = 0;
  Logged: Integer = 0;

procedure Check(Ok: Boolean; const What: AnsiString);
begin
  if not Ok then
  begin
    WriteLn(ErrOutput, 'Pascal host: ', What);
    Inc(Failures);
  end;
end;

procedure OnLog(UserData: Pointer; Code: LongInt; Text: PAnsiChar); {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF};
begin
  WriteLn(ErrOutput, 'Pascal host: engine log ', Code, ': ', Text);
  Inc(PInteger(UserData)^);
end;

{ The text-out rule: learn the length, then fetch into a buffer of that size. }
function ColumnName(Port: LongWord; Index: LongInt): AnsiString;
var
  Size: LongInt;
begin
  Size := 0;
  FieldGetName(Port, Index, nil, @Size);
  SetLength(Result, Size);
  if (Size > 0) and (FieldGetName(Port, Index, PAnsiChar(Result), @Size) <> -1) then
    Result := '?';
end;

function OpenPort(PortType: LongInt): LongWord;
var
  I: Integer;
begin
  Result := 0;
  Check(EngineInit(PortType, @Result) = ENGINE_OK, 'EngineInit failed');
  EngineSetEvent(Result, @Logged, EVENT_LOG_MESSAGE, @OnLog);
  Check(EngineSetOptions(Result, PAnsiChar(Options)) = ENGINE_OK, 'EngineSetOptions failed');
  Check(FieldGetCount(Result) = 3, 'not three columns');
  for I := 0 to 2 do
    Check(ColumnName(Result, I) = Columns[I], 'column title ' + Columns[I] + ' lost');
  Check(FieldFindbyName(Result, 'FULL NAME') = 1, 'FieldFindbyName ignores letter case');
end;

procedure ExportRecords;
var
  Port: LongWord;
  SetText: HV_WRITE_TEXT_PROC;
  R, C: Integer;
begin
  @SetText := FieldGetProc(FIELD_DIR_WRITE, HV_FT_STRING);
  Port := OpenPort(ENGINE_PORT_EXPORT);
  for R := 0 to 2 do
  begin
    Append(Port);
    for C := 0 to 2 do
      SetText(Port, C, PAnsiChar(Records[R, C]), Length(Records[R, C]));
    Post(Port);
  end;
  EngineFina(Port);
end;

procedure ImportRecords;
var
  Port: LongWord;
  GetText: HV_READ_TEXT_PROC;
  R, C: Integer;
  Size: LongInt;
  Value: AnsiString;
begin
  @GetText := FieldGetProc(FIELD_DIR_READ, HV_FT_STRING);
  Port := OpenPort(ENGINE_PORT_IMPORT);
  Check(DataCount(Port) = -1, 'DataCount is not -1');
  R := 0;
  MoveFirst(Port);
  while IsEof(Port) = 0 do
  begin
    Check(R <= 2, 'more records than were written');
    if R > 2 then
      Break;
    for C := 0 to 2 do
    begin
      Size := 0;
      GetText(Port, C, nil, @Size);
      SetLength(Value, Size);
      if Size > 0 then
        Check(GetText(Port, C, PAnsiChar(Value), @Size) = -1, 'reading a value failed');
      Check(Value = Records[R, C], 'value ' + Records[R, C] + ' came back as ' + Value);
      Check((FieldIsEmpty(Port, C) = -1) = (Records[R, C] = ''), 'FieldIsEmpty is wrong');
    end;
    MoveNext(Port);
    Inc(R);
  end;
  Check(R = 3, 'fewer records than were written');
  EngineFina(Port);
end;

begin
  Check(EngineGetType = ENGINE_TYPE_CE_TEXT, 'EngineGetType is not 3');
  ExportRecords;
  ImportRecords;
  Check(Logged = 0, 'the engine logged a failure');
  if Failures = 0 then
    WriteLn('Pascal host ', HALVERN_VERSION_STRING, ': 3 records')
  else
    Halt(1);
end.
