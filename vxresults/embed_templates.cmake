# SPDX-License-Identifier: MIT
# Writes every DIR/*.mustache into OUT as a table of name and text (raw string literals).
file(GLOB files ${DIR}/*.mustache)
list(SORT files)
set(body "// Generated from vxresults/templates by embed_templates.cmake.\n#include \"templates.h\"\n\nnamespace vxresults {\n\nconst std::map<std::string, std::string>& templates() {\n    static const std::map<std::string, std::string> table = {\n")
foreach(f ${files})
  get_filename_component(name ${f} NAME_WE)
  file(READ ${f} text)
  string(APPEND body "        {\"${name}\", R\"vxtpl(${text})vxtpl\"},\n")
endforeach()
string(APPEND body "    };\n    return table;\n}\n\n}  // namespace vxresults\n")
file(WRITE ${OUT}.tmp "${body}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
