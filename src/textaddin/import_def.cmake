# Writes the definition file of ORBEN.EXE's import library from the program's export table: every entry imported
# by its ordinal alone (NONAME), so add-ins bind to the numbers that never move. On 32-bit x86 the stdcall entries
# get their decorated names, which is what the compiler asks the linker for.
# Usage: cmake -DIN=orben.def -DOUT=orben_import.def -DX86=ON|OFF -P import_def.cmake
file(STRINGS ${IN} lines)
set(stack_bytes BLDMainWndProc=16 DispWndProc=16 BitmapFromDib=8 GetDibColor=12 SetDibColor=16 DibInfo=8
    IsNowTool=0)
set(out "LIBRARY ORBEN.EXE\nEXPORTS\n")
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]*([A-Za-z_][A-Za-z0-9_]*)([ \t]*=[ \t]*[A-Za-z_][A-Za-z0-9_]*)?[ \t]+@([0-9]+)")
    set(name ${CMAKE_MATCH_1})
    set(ordinal ${CMAKE_MATCH_3})
    if(X86)
      foreach(entry IN LISTS stack_bytes)
        if(entry MATCHES "^${name}=([0-9]+)$")
          set(name "${name}@${CMAKE_MATCH_1}")
        endif()
      endforeach()
    endif()
    string(APPEND out "    ${name} @${ordinal} NONAME\n")
  endif()
endforeach()
file(WRITE ${OUT} "${out}")
