/*
 * A minimal host: writes three records to a device file through an export port, reads them back
 * through an import port and checks every value. It links the engine at build time:
 *   Linux:   cc host.c -Iinclude -Llib -lhalvern          (or pkg-config --cflags --libs halvern)
 *   MinGW:   i686-w64-mingw32-gcc host.c -Iinclude lib/libHalvern.dll.a
 *   LLVM:    clang --target=i686-pc-windows-msvc host.c -Iinclude lib/Halvern.lib
 * Without a device, run it against the emulator:
 *   HALVERN_RAPI_LIBRARY=<path of rapiemu>  HALVERN_DEVICE_ROOT=<an existing folder>  ./host
 * Exit status 0 when every value came back as written.
 */
#include <stdio.h>
#include <string.h>

#include "halvern.h"

#define COLUMNS 3
#define RECORDS 3

/* Options texts are GBK; halvern.h names their keys. The file \stock.txt on the device, three columns
   and a title line: */
static const char Options[] = HV_OPTION_FILE_NAME "=\\stock.txt;\r\n" HV_OPTION_COLUMNS
                                                  "=code,name,count;\r\n" HV_OPTION_HAS_TITLE "=1";

/* A value with a space, one with the delimiter, a GBK one (椅子) and an empty one: all come back. */
static const char* const Records[RECORDS][COLUMNS] = {
    {"A1", "desk", "3"},
    {"A 2", "a|b", ""},
    {"A3", "\xD2\xCE\xD7\xD3", "12"},
};

static int Failures = 0;

static void Check(int Ok, const char* What) {
  if (!Ok) {
    fprintf(stderr, "host: %s\n", What);
    ++Failures;
  }
}

/* Device failures arrive here (code 35), never as results. */
static void HV_STDCALL OnLog(void* UserData, int32_t Code, const char* Text) {
  fprintf(stderr, "host: %s: engine log %d: %s\n", (const char*)UserData, (int)Code, Text);
  ++Failures;
}

static uint32_t OpenPort(int32_t PortType, const char* Name) {
  uint32_t Port = 0;
  if (EngineInit(PortType, &Port) != ENGINE_OK) {
    Check(0, "EngineInit failed");
    return 0;
  }
  EngineSetEvent(Port, (void*)Name, EVENT_LOG_MESSAGE, (HV_PROC)OnLog);
  Check(EngineSetOptions(Port, Options) == ENGINE_OK, "EngineSetOptions failed");
  return Port;
}

static void Export(void) {
  HV_WRITE_TEXT_PROC SetText = (HV_WRITE_TEXT_PROC)FieldGetProc(FIELD_DIR_WRITE, HV_FT_STRING);
  uint32_t Port = OpenPort(ENGINE_PORT_EXPORT, "export");
  int r, c;
  if (Port == 0 || SetText == NULL) return;
  Check(FieldGetCount(Port) == COLUMNS, "the export port does not have the three columns");
  for (r = 0; r < RECORDS; ++r) {
    Append(Port);
    for (c = 0; c < COLUMNS; ++c) SetText(Port, c, Records[r][c], (int32_t)strlen(Records[r][c]));
    Post(Port);
  }
  EngineFina(Port); /* the file reaches the device here */
}

static void Import(void) {
  HV_READ_TEXT_PROC GetText = (HV_READ_TEXT_PROC)FieldGetProc(FIELD_DIR_READ, HV_FT_STRING);
  uint32_t Port = OpenPort(ENGINE_PORT_IMPORT, "import");
  int r = 0, c;
  if (Port == 0 || GetText == NULL) return;
  Check(DataCount(Port) == -1, "DataCount should be -1: the count is known only after reading");
  for (MoveFirst(Port); IsEof(Port) == 0; MoveNext(Port), ++r) {
    if (r >= RECORDS) {
      Check(0, "more records than were written");
      break;
    }
    for (c = 0; c < COLUMNS; ++c) {
      char Value[64];
      int32_t Size = 0;
      GetText(Port, c, NULL, &Size); /* learn the length, then fetch: no terminating zero */
      if (Size < 0 || Size >= (int32_t)sizeof Value) {
        Check(0, "value too long");
        continue;
      }
      Check(GetText(Port, c, Value, &Size) == -1, "reading a value failed");
      Value[Size] = '\0';
      Check(strcmp(Value, Records[r][c]) == 0, "a value did not come back as written");
      Check((FieldIsEmpty(Port, c) == -1) == (Records[r][c][0] == '\0'), "FieldIsEmpty is wrong");
    }
  }
  Check(r == RECORDS, "fewer records than were written");
  EngineFina(Port);
}

int main(void) {
  char Name[64];
  int32_t Size = (int32_t)sizeof Name;
  Check(EngineGetType() == ENGINE_TYPE_CE_TEXT, "EngineGetType is not 3");
  Check(EngineGetName(Name, &Size) == -1 && Size > 0, "EngineGetName failed");
  Export();
  Import();
  if (Failures == 0) printf("host: %d records written and read back\n", RECORDS);
  return Failures == 0 ? 0 : 1;
}
