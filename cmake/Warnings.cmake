# Warnings on and clean for every target of the project.
function(plochar_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wno-missing-field-initializers)
  if(PLOCHAR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
