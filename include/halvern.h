/*
 * Halvern transport engine: the C interface a host application uses after loading the library
 * (Halvern.dll on Windows x86, libhalvern.so on Linux).
 *
 * Conventions
 * - Calling convention: every export, value procedure and host event procedure is __stdcall on Windows
 *   x86 and the platform's default convention elsewhere (HV_STDCALL).
 * - Handles: uint32_t tokens naming a port (from EngineInit, or ConfigPort) or a configuration page (from
 *   ConfigInit). The host holds handles, never objects: the engine owns every port and page. A live
 *   handle is never 0; after EngineFina / ConfigFina it is dead and every export answers as for an
 *   unknown handle. A page handle given to a port export (or the reverse) counts as unknown.
 * - Ownership of memory: the engine never keeps a pointer the host passed after the call returns, and
 *   never hands the host memory to free. Text pointers passed to host event procedures are valid only
 *   during that call and are never NULL (an empty text is a pointer to a zero byte).
 * - Texts are GBK bytes (char*), wide texts UTF-16 code units (uint16_t*); sizes are byte counts.
 * - The text-out rule: functions that return a text take a Buffer and a Size pointer (in: capacity,
 *   out: length). When Buffer is not NULL and *Size is at least the text's length, the text is copied
 *   without a terminating zero, *Size is set to its length and the result is -1. Otherwise nothing is
 *   copied, *Size is set to the length and the result is 0. So: call once with Buffer NULL to learn the
 *   length, then with a buffer of that size. Nothing is ever written past *Size bytes.
 * - Truth values are int32_t: -1 true or success, 0 false or failure. Exceptions: IsEof (1 at the end,
 *   0 before it, -1 for an unusable handle) and ConfigCheckSucceed (0 when the entries are valid).
 * - NULL pointers never crash the engine: a NULL Size, Text, Name or out-pointer gives the function's
 *   neutral answer and nothing is written. A NULL Options text reads as the empty text.
 * - Errors never unwind into the host: every export answers its neutral value instead. Device failures
 *   reach the host through the log event procedure (code 35).
 * - Memory: when memory runs out inside a call on a port, the port fails. The host gets one log event
 *   (code 35, the system's text for error 8) and the call its neutral answer; from then on the port
 *   moves no records: IsEof answers 1, MoveFirst, MoveNext, Append and Post do nothing, the value
 *   procedures give their neutral answers, and EngineFina writes nothing. Its settings (options, events,
 *   column names) still answer.
 * - Threads: the engine creates none; calls on one handle are not serialized by the engine. EngineFina
 *   and ConfigFina may be called from any thread, even while other threads (or an event procedure of
 *   the same port on the calling thread) are inside calls on that port or page: the handle is dead for
 *   every call that starts after it, calls already running finish on intact state, and the closing work
 *   (an export port's device write and its log events included) runs exactly once: in EngineFina /
 *   ConfigFina when no call is inside, otherwise when the last such call returns, on that call's
 *   thread. Neither ever waits for another call.
 */
#ifndef HALVERN_H
#define HALVERN_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define HV_STDCALL __stdcall
#else
#define HV_STDCALL
#endif

#ifdef __cplusplus
#define HV_EXTERN_C extern "C"
#else
#define HV_EXTERN_C extern
#endif

/* On Windows the module-definition file exports the names (undecorated); elsewhere the library is built
   with hidden visibility and these names are the only ones left visible. */
#if defined(_WIN32)
#define HV_EXPORT
#elif defined(__GNUC__)
#define HV_EXPORT __attribute__((visibility("default")))
#else
#define HV_EXPORT
#endif

#define HV_API HV_EXTERN_C HV_EXPORT

/* The library's version. This block is the one source of the version: the build reads it for the
   package names, the Linux SONAME and the Windows version resources, and halvern --version prints it.
   The major number changes only when the binary interface does. */
#define HALVERN_VERSION_MAJOR 1
#define HALVERN_VERSION_MINOR 0
#define HALVERN_VERSION_PATCH 0
#define HALVERN_VERSION_STRING "1.0.0"

/* Result codes. */
#define ENGINE_OK 0
#define ENGINE_ERR_TYPE 0x10000002
#define ENGINE_ERR_HANDLE 0x10000003
#define ENGINE_ERR_CREATE 0x10000004
#define CONFIG_ERR_HANDLE 0x20000003

/* Port types of EngineInit; directions of FieldGetProc. */
#define ENGINE_PORT_IMPORT 1
#define ENGINE_PORT_EXPORT 2
#define FIELD_DIR_READ 1
#define FIELD_DIR_WRITE 2

/* The engine type EngineGetType answers. */
#define ENGINE_TYPE_CE_TEXT 3

/* Event kinds of EngineSetEvent. */
#define EVENT_LOG_MESSAGE 0x10001
#define EVENT_SHOW_HINT 0x10002

/* The log code of every transfer failure. */
#define EVENT_CODE_TRANSFER 35

/* The keys of a port's options text (EngineGetOptions, EngineSetOptions), as GBK byte strings. A text
   is records of key "=" value joined by ";" CR LF; a key without a record keeps its current value.
   HV_OPTION_FILE_NAME  文件名 (file name): the file's path on the device, used exactly as given.
   HV_OPTION_HAS_TITLE  包含标题 (has title): 1 when the file's first line holds the column titles, 0
                        when it does not; any text that is not an integer counts as 1.
   HV_OPTION_COLUMNS    数据列 (data columns): the column titles in order, separated by commas; an
                        empty list means the port's default columns. */
#define HV_OPTION_FILE_NAME "\xCE\xC4\xBC\xFE\xC3\xFB"
#define HV_OPTION_HAS_TITLE "\xB0\xFC\xBA\xAC\xB1\xEA\xCC\xE2"
#define HV_OPTION_COLUMNS "\xCA\xFD\xBE\xDD\xC1\xD0"

/* Field type codes (FieldGetType, FieldGetProc). Every column of this engine is HV_FT_STRING. */
#define HV_FT_UNKNOWN 0 /* handled like HV_FT_STRING */
#define HV_FT_BYTE 1
#define HV_FT_WORD 2
#define HV_FT_LONGWORD 3
#define HV_FT_SHORTINT 4
#define HV_FT_SMALLINT 5
#define HV_FT_INTEGER 6
#define HV_FT_INT64 7
#define HV_FT_BOOLEAN 8
#define HV_FT_SINGLE 17
#define HV_FT_DOUBLE 18
#define HV_FT_EXTENDED 19 /* passed as text */
#define HV_FT_GUID 33
#define HV_FT_TIME 49
#define HV_FT_DATE 50
#define HV_FT_DATETIME 51
#define HV_FT_STRING 65     /* GBK bytes */
#define HV_FT_WIDESTRING 66 /* UTF-16 */
#define HV_FT_BLOB 67       /* not offered */

/* Layout of the Windows SYSTEMTIME record (16 bytes); a Windows host may pass a SYSTEMTIME*. */
typedef struct HV_SYSTEMTIME {
  uint16_t wYear;
  uint16_t wMonth;
  uint16_t wDayOfWeek; /* 0 = Sunday */
  uint16_t wDay;
  uint16_t wHour;
  uint16_t wMinute;
  uint16_t wSecond;
  uint16_t wMilliseconds;
} HV_SYSTEMTIME;

/* Layout of the Windows GUID record (16 bytes); a Windows host may pass a GUID*. */
typedef struct HV_GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
} HV_GUID;

/* Host event procedures (the result is ignored). UserData is the value given to EngineSetEvent. */
typedef void(HV_STDCALL* HV_LOG_PROC)(void* UserData, int32_t Code, const char* Text);
typedef void(HV_STDCALL* HV_HINT_PROC)(void* UserData, const char* Caption, const char* Text);
/* The generic procedure pointer of EngineSetEvent and FieldGetProc: cast to the specific type. */
typedef void(HV_STDCALL* HV_PROC)(void);

/* Value procedures returned by FieldGetProc. Read procedures need an import port, write procedures an
   export port; otherwise, or for an index that names no column, they give their neutral answer
   (0, 0.0, a zeroed record, nothing written, result 0 with *Size untouched). */
typedef int32_t(HV_STDCALL* HV_READ_TEXT_PROC)(uint32_t Handle, int32_t Index, char* Buffer,
                                               int32_t* Size);                     /* (1, 0|65) and (1, 19) */
typedef int32_t(HV_STDCALL* HV_READ_INTEGER_PROC)(uint32_t Handle, int32_t Index); /* (1, 1..6|8) */
typedef int64_t(HV_STDCALL* HV_READ_INT64_PROC)(uint32_t Handle, int32_t Index);   /* (1, 7) */
typedef float(HV_STDCALL* HV_READ_SINGLE_PROC)(uint32_t Handle, int32_t Index);    /* (1, 17) */
typedef double(HV_STDCALL* HV_READ_DOUBLE_PROC)(uint32_t Handle, int32_t Index);   /* (1, 18) */
typedef void(HV_STDCALL* HV_READ_GUID_PROC)(HV_GUID* Out, uint32_t Handle, int32_t Index); /* (1, 33) */
typedef void(HV_STDCALL* HV_READ_DATETIME_PROC)(HV_SYSTEMTIME* Out, uint32_t Handle,
                                                int32_t Index); /* (1, 49..51) */
typedef int32_t(HV_STDCALL* HV_READ_WIDETEXT_PROC)(uint32_t Handle, int32_t Index, uint16_t* Buffer,
                                                   int32_t* Size); /* (1, 66); Size in bytes */
typedef int32_t(HV_STDCALL* HV_READ_BLOB_PROC)(int32_t A1, int32_t A2, int32_t A3, int32_t A4,
                                               int32_t* Size); /* (1, 67): *Size = -1, result 0 */
typedef void(HV_STDCALL* HV_WRITE_TEXT_PROC)(uint32_t Handle, int32_t Index, const char* Text,
                                             int32_t Length); /* (2, 0|65) */
typedef void(HV_STDCALL* HV_WRITE_INTEGER_PROC)(uint32_t Handle, int32_t Index,
                                                int32_t Value); /* (2, 1..6|8) */
typedef void(HV_STDCALL* HV_WRITE_INT64_PROC)(uint32_t Handle, int32_t Index, int64_t Value); /* (2, 7) */
typedef void(HV_STDCALL* HV_WRITE_SINGLE_PROC)(uint32_t Handle, int32_t Index, float Value);  /* (2, 17) */
typedef void(HV_STDCALL* HV_WRITE_DOUBLE_PROC)(uint32_t Handle, int32_t Index, double Value); /* (2, 18) */
typedef int32_t(HV_STDCALL* HV_WRITE_VALUE_TEXT_PROC)(uint32_t Handle, int32_t Index, const char* Text,
                                                      int32_t* Length); /* (2, 19): any column type */
typedef void(HV_STDCALL* HV_WRITE_GUID_PROC)(uint32_t Handle, int32_t Index,
                                             const HV_GUID* Value); /* (2, 33) */
typedef void(HV_STDCALL* HV_WRITE_DATETIME_PROC)(uint32_t Handle, int32_t Index,
                                                 const HV_SYSTEMTIME* Value); /* (2, 49..51) */
typedef int32_t(HV_STDCALL* HV_WRITE_WIDETEXT_PROC)(uint32_t Handle, int32_t Index, const uint16_t* Buffer,
                                                    int32_t* Size); /* (2, 66); Size in bytes */
typedef int32_t(HV_STDCALL* HV_WRITE_BLOB_PROC)(int32_t A1, int32_t A2, int32_t A3, int32_t A4,
                                                int32_t A5); /* (2, 67): ignored, result 0 */

/* The value procedures' neutral answers, for the cases above and any error inside the engine. The
   procedures without a result then write nothing, except the GUID and date-time reads, which zero *Out.
   A procedure that stores a value (HV_WRITE_VALUE_TEXT_PROC, HV_WRITE_WIDETEXT_PROC) answers -1. */
#define HV_NEUTRAL_READ_TEXT 0 /* *Size untouched */
#define HV_NEUTRAL_READ_INTEGER 0
#define HV_NEUTRAL_READ_INT64 0
#define HV_NEUTRAL_READ_SINGLE 0.0f
#define HV_NEUTRAL_READ_DOUBLE 0.0
#define HV_NEUTRAL_READ_WIDETEXT 0 /* *Size untouched */
#define HV_NEUTRAL_READ_BLOB 0     /* its only answer */
#define HV_NEUTRAL_WRITE_VALUE_TEXT 0
#define HV_NEUTRAL_WRITE_WIDETEXT 0
#define HV_NEUTRAL_WRITE_BLOB 0 /* its only answer */

/* The 34 exports. X(return type, name, parameter list) keeps prototypes and pointer types in step. */
#define HV_EXPORT_LIST(X)                                                                         \
  X(int32_t, EngineInit, (int32_t PortType, uint32_t * Handle))                                   \
  X(void, EngineFina, (uint32_t Handle))                                                          \
  X(int32_t, EngineGetType, (void))                                                               \
  X(int32_t, EngineGetName, (char* Buffer, int32_t* Size))                                        \
  X(int32_t, EngineDiscription, (char* Buffer, int32_t* Size))                                    \
  X(void, EngineSetEvent, (uint32_t Handle, void* UserData, int32_t EventKind, HV_PROC Callback)) \
  X(int32_t, EngineGetOptions, (uint32_t Handle, char* Buffer, int32_t* Size))                    \
  X(int32_t, EngineSetOptions, (uint32_t Handle, const char* Options))                            \
  X(void, MoveFirst, (uint32_t Handle))                                                           \
  X(void, MoveNext, (uint32_t Handle))                                                            \
  X(int32_t, IsEof, (uint32_t Handle))                                                            \
  X(int32_t, DataCount, (uint32_t Handle))                                                        \
  X(void, Append, (uint32_t Handle))                                                              \
  X(void, Post, (uint32_t Handle))                                                                \
  X(int32_t, ConfigInit, (uint32_t Handle, void* ParentWindow, int32_t Flag, uint32_t* Page))     \
  X(void, ConfigFina, (uint32_t Page))                                                            \
  X(int32_t, ConfigIsBOF, (uint32_t Page))                                                        \
  X(int32_t, ConfigIsEOF, (uint32_t Page))                                                        \
  X(int32_t, ConfigCheckSucceed, (uint32_t Page))                                                 \
  X(void, ConfigNext, (uint32_t Page))                                                            \
  X(void, ConfigPrevious, (uint32_t Page))                                                        \
  X(void, ConfigFirst, (uint32_t Page))                                                           \
  X(void, ConfigLast, (uint32_t Page))                                                            \
  X(void, ConfigUpdate, (uint32_t Page))                                                          \
  X(uint32_t, ConfigPort, (uint32_t Page))                                                        \
  X(int32_t, FieldGetCount, (uint32_t Handle))                                                    \
  X(int32_t, FieldSetCount, (uint32_t Handle, int32_t Count))                                     \
  X(int32_t, FieldGetName, (uint32_t Handle, int32_t Index, char* Buffer, int32_t* Size))         \
  X(void, FieldSetName, (uint32_t Handle, int32_t Index, const char* Text, int32_t Length))       \
  X(int32_t, FieldGetType, (uint32_t Handle, int32_t Index))                                      \
  X(void, FieldSetType, (uint32_t Handle, int32_t Index, int32_t FieldType))                      \
  X(HV_PROC, FieldGetProc, (int32_t Direction, int32_t FieldType))                                \
  X(int32_t, FieldFindbyName, (uint32_t Handle, const char* Name))                                \
  X(int32_t, FieldIsEmpty, (uint32_t Handle, int32_t Index))

/* Pointer types for hosts that bind the exports by name: HV_PFN_EngineInit and so on. */
#define HV_DECLARE_PFN(Ret, Name, Params) typedef Ret(HV_STDCALL* HV_PFN_##Name) Params;
HV_EXPORT_LIST(HV_DECLARE_PFN)
#undef HV_DECLARE_PFN

/* The prototypes, from the same list. */
#define HV_DECLARE_EXPORT(Ret, Name, Params) HV_API Ret HV_STDCALL Name Params;
HV_EXPORT_LIST(HV_DECLARE_EXPORT)
#undef HV_DECLARE_EXPORT

/* What the exports do:
   - EngineSetEvent: Callback is an HV_LOG_PROC for EVENT_LOG_MESSAGE or an HV_HINT_PROC for
     EVENT_SHOW_HINT; NULL switches that event off. UserData is shared by both procedures of a port: the
     last value given wins, whatever the kind (an unknown kind sets only UserData).
   - Records: MoveFirst/MoveNext/IsEof/DataCount need an import port, Append/Post an export port.
   - Configuration page: ConfigInit, ConfigFirst, navigation, ConfigCheckSucceed until 0, then
     ConfigUpdate or ConfigPort + EngineGetOptions, and ConfigFina before the port's EngineFina.
     ParentWindow is the host's native window (an HWND on Windows).
   - FieldGetProc: the value procedure for a direction and field type (cast to the matching HV_*_PROC),
     or NULL.
   - FieldIsEmpty: -1 when the value is empty or only blanks, 0 when it holds text. -1 reads as "no
     value to read": it is also the answer for a port that is not an import port and for an index that
     names no column, so a host that skips empty values never reads one that is not there. */

/* Neutral answers: what each export with a result answers for an unknown or dead handle (or one of the
   other kind), a NULL pointer it needs, or any error inside the engine. The exports without a result
   then do nothing; EngineGetType has none (it always answers ENGINE_TYPE_CE_TEXT). ConfigCheckSucceed
   answers -1 only for entries it checked and found invalid, never for an error. */
#define HV_NEUTRAL_EngineInit ENGINE_ERR_CREATE /* ENGINE_ERR_TYPE for an unknown PortType */
#define HV_NEUTRAL_EngineGetName 0
#define HV_NEUTRAL_EngineDiscription 0
#define HV_NEUTRAL_EngineGetOptions 0
#define HV_NEUTRAL_EngineSetOptions ENGINE_ERR_HANDLE
/* IsEof: -1 for an unusable handle; 1 for an error inside the engine or a port out of memory, since
   the walk is over then. */
#define HV_NEUTRAL_IsEof (-1)
#define HV_NEUTRAL_DataCount (-1)
#define HV_NEUTRAL_ConfigInit ENGINE_ERR_CREATE /* ENGINE_ERR_HANDLE, ENGINE_ERR_TYPE for the port */
#define HV_NEUTRAL_ConfigIsBOF CONFIG_ERR_HANDLE
#define HV_NEUTRAL_ConfigIsEOF CONFIG_ERR_HANDLE
#define HV_NEUTRAL_ConfigCheckSucceed CONFIG_ERR_HANDLE
#define HV_NEUTRAL_ConfigPort 0
#define HV_NEUTRAL_FieldGetCount 0
#define HV_NEUTRAL_FieldSetCount ENGINE_ERR_HANDLE
#define HV_NEUTRAL_FieldGetName 0
#define HV_NEUTRAL_FieldGetType HV_FT_UNKNOWN
#define HV_NEUTRAL_FieldGetProc 0 /* NULL */
#define HV_NEUTRAL_FieldFindbyName (-1)
#define HV_NEUTRAL_FieldIsEmpty (-1)

#endif /* HALVERN_H */
