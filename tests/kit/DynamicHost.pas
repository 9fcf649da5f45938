{ A host that binds the engine at run time through HalvernDynamic, as plugin hosts do to survive a
  missing library: a file that is not there and a library without the exports (the device emulator,
  named by HALVERN_RAPI_LIBRARY) are refused with what was missing; then the engine, loaded by its
  name, moves two records out and back through the GBK helpers and the option key constants. Prints
  "Dynamic host: 34 exports bound, 2 records" and exits 0 when all is well. }
program DynamicHost;

{$MODE DELPHI}

uses
  SysUtils, HalvernDynamic;

var
  Failures: Integer = 0;

procedure Check(Ok: Boolean; const What: string);
begin
  if not Ok then
  begin
    WriteLn(ErrOutput, 'Dynamic host: ', What);
    Inc(Failures);
  end;
end;

function CountNames(const List: string): Integer;
var
  I: Integer;
begin
  Result := 0;
  if List <> '' then
    Result := 1;
  for I := 1 to Length(List) do
    if List[I] = ',' then
      Inc(Result);
end;

procedure RefusesWhatIsMissing;
const
  NoFile = 'no-such-halvern-library';
begin
  Check(not HalvernLoad(NoFile), 'a missing file loaded');
  Check(HalvernMissing = NoFile, 'a missing file reported as ' + HalvernMissing);
  Check(not HalvernLoad(GetEnvironmentVariable('HALVERN_RAPI_LIBRARY')),
    'the emulator passed for the engine');
  Check(CountNames(HalvernMissing) = 34, 'not 34 exports missing from the emulator: ' + HalvernMissing);
  Check(Pos('EngineInit', HalvernMissing) = 1, 'EngineInit not named first: ' + HalvernMissing);
  Check(not HalvernLoaded and not Assigned(EngineInit), 'a refused library stayed bound');
end;

function Options: GbkString;
begin
  Result := HV_OPTION_FILE_NAME + HvGbk('=\dynamic.txt;'#13#10) + HV_OPTION_COLUMNS +
    HvGbk('=a,b;'#13#10) + HV_OPTION_HAS_TITLE + HvGbk('=1');
end;

procedure MovesRecords;
const
  { 盘点 and 正常 in GBK. }
  Values: array[0..1, 0..1] of array[0..3] of Byte = (
    (($C5, $CC, $B5, $E3), ($61, $7C, $62, $20)),
    (($D5, $FD, $B3, $A3), ($31, $32, $33, $34)));
var
  Port: UInt32;
  R, C, I: Integer;
  Value: GbkString;

  function Bytes(R, C: Integer): GbkString;
  var
    I: Integer;
  begin
    SetLength(Result, 4);
    for I := 0 to 3 do
      Result[I + 1] := AnsiChar(Values[R, C, I]);
  end;

begin
  Check(EngineInit(ENGINE_PORT_EXPORT, @Port) = ENGINE_OK, 'EngineInit failed');
  Check(HvSetOptionsGbk(Port, Options) = ENGINE_OK, 'HvSetOptionsGbk failed');
  Check(HvFieldName(Port, 1) = 'b', 'the second column is not b');
  for R := 0 to 1 do
  begin
    Append(Port);
    for C := 0 to 1 do
      HvWriteTextGbk(Port, C, Bytes(R, C));
    Post(Port);
  end;
  EngineFina(Port);

  Check(EngineInit(ENGINE_PORT_IMPORT, @Port) = ENGINE_OK, 'EngineInit failed');
  HvSetOptionsGbk(Port, Options);
  Check(Pos(HvGbk('=\dynamic.txt'), HvGetOptionsGbk(Port)) = Length(HV_OPTION_FILE_NAME) + 1,
    'the options text does not begin with the file name');
  R := 0;
  MoveFirst(Port);
  while (IsEof(Port) = 0) and (R < 2) do
  begin
    for C := 0 to 1 do
    begin
      Value := HvReadTextGbk(Port, C);
      Check(Length(Value) = 4, 'a value lost bytes');
      for I := 1 to Length(Value) do
        Check(Ord(Value[I]) = Values[R, C, I - 1], 'a byte of a value changed');
    end;
    MoveNext(Port);
    Inc(R);
  end;
  Check(R = 2, 'not two records');
  EngineFina(Port);
end;

begin
  RefusesWhatIsMissing;
  if not HalvernLoad then
  begin
    WriteLn(ErrOutput, 'Dynamic host: ', HalvernLibrary, ' did not load: ', HalvernMissing);
    Halt(1);
  end;
  Check(HalvernMissing = '', 'a load that succeeded reports ' + HalvernMissing);
  Check(EngineGetType() = ENGINE_TYPE_CE_TEXT, 'EngineGetType is not 3');
  MovesRecords;
  HalvernUnload;
  Check(not HalvernLoaded and not Assigned(FieldGetProc), 'HalvernUnload left exports bound');
  if Failures = 0 then
    WriteLn('Dynamic host: 34 exports bound, 2 records')
  else
    Halt(1);
end.
