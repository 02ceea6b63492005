# tavelorn_render_svg(<out_var> SOURCE <svg> NAME <stem> FORMAT <png|argb> SIZES <n>...)
# Renders <svg> at build time into ${CMAKE_CURRENT_BINARY_DIR}/pictures/<stem>-<n>.<format>
# for each size n, and appends the files to <out_var>.
function(tavelorn_render_svg out_var)
  cmake_parse_arguments(arg "" "SOURCE;NAME;FORMAT" "SIZES" ${ARGN})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/pictures)
  set(outputs)
  set(args)
  foreach(size ${arg_SIZES})
    set(file ${dir}/${arg_NAME}-${size}.${arg_FORMAT})
    list(APPEND outputs ${file})
    list(APPEND args ${file} ${size})
  endforeach()
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND rendersvg ${arg_SOURCE} ${args}
    DEPENDS rendersvg ${arg_SOURCE}
    COMMENT "Rendering ${arg_NAME}.svg"
    VERBATIM)
  set(${out_var} ${${out_var}} ${outputs} PARENT_SCOPE)
endfunction()
