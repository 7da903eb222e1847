# SPDX-License-Identifier: MIT
# The vxpack program as a user meets it: exit status 0 done, 1 failed, 2 bad usage.
if(TARGET vxpack)
  function(vx_cli_test name expect)
    cmake_parse_arguments(arg "" "STDERR;STDOUT" "" ${ARGN})
    set(extra)
    if(arg_STDERR)
      list(APPEND extra -DSTDERR_MATCH=${arg_STDERR})
    endif()
    if(arg_STDOUT)
      list(APPEND extra -DSTDOUT_MATCH=${arg_STDOUT})
    endif()
    # A cross build runs vxpack under its emulator.
    set(command ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:vxpack> ${arg_UNPARSED_ARGUMENTS})
    string(REPLACE ";" "|" command "${command}")
    add_test(NAME vxpack_cli.${name}
      COMMAND ${CMAKE_COMMAND} "-DCOMMAND=${command}" -DEXPECT=${expect} ${extra}
              -P ${CMAKE_CURRENT_SOURCE_DIR}/support/expect_exit.cmake)
    set_tests_properties(vxpack_cli.${name} PROPERTIES LABELS cli)
  endfunction()

  set(data ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  vx_cli_test(help 0 --help STDOUT "build-default.*pack.*info")
  vx_cli_test(pack_help 0 pack --help STDOUT "--resize-textures.*--flat.*--dither.*Limits of the engine.*64 objects.*4096 blended")
  vx_cli_test(pack_fit_zero 2 pack --fit 0 a.obj STDERR "--fit: a radius of 0 would make the model vanish; give 1 to 32767")
  vx_cli_test(pack_fit_word 2 pack --fit big a.obj STDERR "give a radius in engine units, such as 200, not \"big\"")
  vx_cli_test(pack_light_range 2 pack --light 40 a.obj STDERR "light level is a whole number from 0 \\(black\\) to 31")
  vx_cli_test(pack_flat_with_sun 2 pack --flat --sun 0 0 1 a.obj)
  vx_cli_test(pack_dither_unknown 2 pack --dither=noise a.obj)
  vx_cli_test(pack_one_object 0 pack ${PROJECT_SOURCE_DIR}/assets/sat/sat.obj --merge Sat --dither
              -o ${CMAKE_CURRENT_BINARY_DIR} STDOUT "\\(1 object, 1398 faces, 168 of them blended\\) and .* \\(10 textures\\)")
  vx_cli_test(no_subcommand 2 STDERR "subcommand")
  vx_cli_test(unknown_subcommand 2 unpack x.obj)
  vx_cli_test(pack_without_inputs 2 pack STDERR "inputs")
  vx_cli_test(pack_bad_draw_mode 2 pack --draw-mode 4 a.obj)
  vx_cli_test(pack_fit_with_scale 2 pack --fit 100 --scale 2 a.obj)
  vx_cli_test(pack_missing_input 1 pack ${CMAKE_CURRENT_BINARY_DIR}/no-such-model.obj -o ${CMAKE_CURRENT_BINARY_DIR}
              STDERR "^vxpack: error: cannot open .*no-such-model.obj")
  vx_cli_test(info_default_scene 0 info ${data}/veloxia3dbench1 STDOUT "scene file veloxia3dbench1: 2 objects.*SHA-256 [0-9a-f]+\n.*triangles.*Sat")
  vx_cli_test(info_default_textures 0 info ${data}/veloxia3dbench2 STDOUT "texture file veloxia3dbench2: 10 textures")
  vx_cli_test(info_missing_file 1 info ${data}/no-such-file STDERR "cannot open")
  vx_cli_test(info_bad_type 2 info --type picture ${data}/veloxia3dbench1)
  vx_cli_test(validate_default 0 validate ${data}/veloxia3dbench1 ${data}/veloxia3dbench2 STDOUT "^ok: 2 objects.*scene +.*veloxia3dbench1 SHA-256 [0-9a-f]+\ntextures ")
  vx_cli_test(validate_swapped 1 validate ${data}/veloxia3dbench2 ${data}/veloxia3dbench1
              STDERR "vxpack: error: the files are in the wrong order: .*veloxia3dbench2 is a texture file")
  vx_cli_test(validate_no_such_object 1 validate --object Ship ${data}/veloxia3dbench1 ${data}/veloxia3dbench2
              STDERR "no object named \"Ship\"")
  vx_cli_test(validate_one_file 2 validate ${data}/veloxia3dbench1)
endif()
