# Type libraries from IDL with Wine's widl (mingw-w64 ships no .idl files;
# Wine's come with libwine-dev, and stdole2.tlb with Wine itself).
include_guard(GLOBAL)

find_program(PENVANE_WIDL NAMES widl x86_64-w64-mingw32-widl REQUIRED)
set(PENVANE_WIDL_INCLUDE /usr/include/wine/wine/windows CACHE PATH "Wine's .idl files")
set(PENVANE_WIDL_LIBDIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH "folder of Wine's stdole2.tlb")

# penvane_add_typelib(TARGET idl): compiles idl into <name>.tlb, <name>.h and
# <name>_i.c in the current binary folder, and gives TARGET the header path
# and the GUID definitions. The .tlb is for a TYPELIB resource.
function(penvane_add_typelib target idl)
  get_filename_component(name ${idl} NAME_WE)
  get_filename_component(idl_abs ${idl} ABSOLUTE)
  set(out ${CMAKE_CURRENT_BINARY_DIR})
  add_custom_command(
    OUTPUT ${out}/${name}.tlb ${out}/${name}.h ${out}/${name}_i.c
    COMMAND ${PENVANE_WIDL} -m64 --win64 -I ${PENVANE_WIDL_INCLUDE} -L ${PENVANE_WIDL_LIBDIR}
            -t -h -u -o ${out}/${name}.tlb ${idl_abs}
    DEPENDS ${idl_abs}
    COMMENT "widl ${name}.idl"
    VERBATIM)
  add_custom_target(${target}_typelib DEPENDS ${out}/${name}.tlb ${out}/${name}.h ${out}/${name}_i.c)
  add_dependencies(${target} ${target}_typelib)
  target_sources(${target} PRIVATE ${out}/${name}_i.c)
  target_include_directories(${target} PRIVATE ${out})
  set_source_files_properties(${out}/${name}_i.c PROPERTIES GENERATED TRUE)
endfunction()
