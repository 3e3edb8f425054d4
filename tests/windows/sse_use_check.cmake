# SSE instructions in the 32-bit plochar.exe outside the JPEG decoder's SIMD
# code, which runs only where the system allows it: Windows 95 and NT 4 do not
# save the SSE registers, so the processor refuses SSE there. (The imports are
# checked against the oldest systems by scripts/check-imports.sh.)
#   cmake -DOBJDUMP=... -DPROGRAM=plochar.exe -P sse_use_check.cmake
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
    # vector helpers (anonymous namespace, names ending in V or W). Sections
    # the linker puts among the code (.gcc_except_table) are data.
    if(NOT name MATCHES "^jpeg::.*(Simd|Sse2|Avx2|V|W)\\(" AND NOT name MATCHES "^\\.")
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
