# The sources that need no Windows API, per library, and the fuzz targets. The Windows
# build compiles each list into its library, the native fuzz build (cmake/native) into
# its own; both take them from here, relative to the project's root.
set(VERIMARK_PORTABLE_foundation
  text/CopiedUString.cpp text/Format.cpp text/Numerals.cpp text/UStringBuilder.cpp
  errors/DebuggableException.cpp errors/ExceptionPL.cpp)
set(VERIMARK_PORTABLE_xml
  xml/CompactText.cpp xml/TreeArena.cpp xml/SimpleXMLParserPL.cpp xml/XMLElementPL.cpp xml/XMLTreeParserPL.cpp
  xml/XMLTreeStorage.cpp xml/XMLWriter.cpp)
set(VERIMARK_PORTABLE_files files/FileLocation.cpp files/FileIOError.cpp files/LocalPath.cpp)
set(VERIMARK_PORTABLE_compliance compliance/ComplianceItems.cpp compliance/ComplianceTypes.cpp
    compliance/ResponseInterpretation.cpp
    compliance/ResponseReader.cpp)
set(VERIMARK_PORTABLE_com com/RegistryScript.cpp com/RegistryEditor.cpp)

# <name>:<folder>: <folder>/tests/fuzz/<name>_fuzz.cpp, its corpus in <folder>/tests/fuzz/corpus/<name>.
set(VERIMARK_FUZZ_TARGETS numerals:text format:text xml_parser_split:xml xml_writer_roundtrip:xml
    response:compliance response_reader:compliance file_location:files registry_script:com)

# The portable sources of a library as full paths.
function(verimark_portable_sources library variable)
  list(TRANSFORM VERIMARK_PORTABLE_${library} PREPEND ${VERIMARK_ROOT}/ OUTPUT_VARIABLE sources)
  set(${variable} ${sources} PARENT_SCOPE)
endfunction()
set(VERIMARK_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
get_filename_component(VERIMARK_ROOT ${VERIMARK_ROOT} ABSOLUTE)
