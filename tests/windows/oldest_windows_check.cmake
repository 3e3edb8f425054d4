# What keeps plochar.exe from starting on the oldest systems it is for, read
# from the program file: imports that Windows 95 or NT 4 (XP x64 for the
# 64-bit program) lack, and, in the 32-bit program, SSE instructions outside
# the JPEG decoder's SIMD code, which runs only where the system allows it.
#   cmake -DOBJDUMP=... -DPROGRAM=plochar.exe -DCHECK_SSE=ON -P oldest_windows_check.cmake
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE table RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump -p failed on ${PROGRAM}")
endif()
set(too_new
    GetTickCount64 AddVectoredExceptionHandler RemoveVectoredExceptionHandler TryEnterCriticalSection
    GetHandleInformation SetHandleInformation InitializeCriticalSectionAndSpinCount IsDebuggerPresent
    IsProcessorFeaturePresent GetAncestor OpenDesktopW OpenDesktopA CloseDesktop InitCommonControlsEx
    SetProcessAffinityMask GetProcessAffinityMask InitializeConditionVariable SleepConditionVariableCS
    WakeConditionVariable WakeAllConditionVariable AcquireSRWLockExclusive InitOnceExecuteOnce
    GetSystemTimePreciseAsFileTime GetModuleHandleExW GetFileSizeEx SetFilePointerEx)
set(found "")
foreach(name ${too_new})
  if(table MATCHES "[\t ]${name}\n")
    list(APPEND found ${name})
  endif()
endforeach()
if(found)
  message(SEND_ERROR "imports newer than the oldest system: ${found}")
endif()

if(CHECK_SSE)
  execute_process(COMMAND ${OBJDUMP} -d -C --no-show-raw-insn ${PROGRAM} OUTPUT_VARIABLE code RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump -d failed on ${PROGRAM}")
  endif()
  set(offenders "")
  # One list entry per function (objdump puts an empty line between them);
  # the characters that mean something to a list go first.
  string(REPLACE ";" "," code "${code}")
  string(REPLACE "[" "(" code "${code}")
  string(REPLACE "]" ")" code "${code}")
  string(REPLACE "\n\n" ";" functions "${code}")
  foreach(f ${functions})
    if(f MATCHES "%[xy]mm[0-9]" AND f MATCHES "^[0-9a-f]+ <([^\n]*)>:")
      set(name "${CMAKE_MATCH_1}")
      # The SIMD code of the JPEG decoder: jpeg::...Simd/Sse2/Avx2 and its
      # vector helpers (anonymous namespace, names ending in V or W).
      if(NOT name MATCHES "^jpeg::.*(Simd|Sse2|Avx2|V|W)\\(")
        list(APPEND offenders "${name}")
      endif()
    endif()
  endforeach()
  if(offenders)
    list(LENGTH offenders count)
    list(SUBLIST offenders 0 10 first)
    list(JOIN first "\n  " shown)
    message(SEND_ERROR "${count} functions use SSE registers outside the JPEG SIMD code, among them:\n  ${shown}")
  endif()
endif()
