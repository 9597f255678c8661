cmake_minimum_required(VERSION 3.25)
# Checks that FILE is a Windows executable of FORMAT that needs no DLL
# besides those every Windows has.
# objdump speaks the caller's language; the checks below read its English.
set(ENV{LC_ALL} C)
execute_process(COMMAND ${OBJDUMP} -p ${FILE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${FILE}")
endif()
if(NOT dump MATCHES "file format ${FORMAT}")
  message(FATAL_ERROR "${FILE} is not ${FORMAT}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" dlls "${dump}")
set(system KERNEL32 USER32 GDI32 SHELL32 COMCTL32 WSOCK32 WS2_32 MSVCRT ADVAPI32
  NTDLL PSAPI OLE32 SHLWAPI MSIMG32 COMDLG32 VERSION WINHTTP IPHLPAPI)
foreach(entry ${dlls})
  string(REGEX REPLACE "DLL Name: ([^.]+)\\.[dD][lL][lL].*" "\\1" dll "${entry}")
  string(TOUPPER "${dll}" dll)
  if(NOT dll IN_LIST system AND NOT dll MATCHES "^API-MS-WIN-")
    message(FATAL_ERROR "${FILE} needs ${dll}.dll beside it")
  endif()
endforeach()
message(STATUS "${FILE}: ${FORMAT}, system DLLs only")
