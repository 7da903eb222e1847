# SPDX-License-Identifier: MIT
# `vxpack sphere` from the command line (vx_cli_test comes from vxpack_cli.cmake).
if(TARGET vxpack AND COMMAND vx_cli_test)
  vx_cli_test(sphere_writes_pair 0 sphere --triangles 500 --radius 120
              ${CMAKE_CURRENT_BINARY_DIR}/sphere_scene ${CMAKE_CURRENT_BINARY_DIR}/sphere_textures
              STDOUT "a sphere of 528 faces, radius 120")
  vx_cli_test(sphere_too_many_triangles 2 sphere --triangles 60000 a b STDERR "triangles")
  vx_cli_test(sphere_radius_too_large 2 sphere --radius 300 a b)
  vx_cli_test(sphere_one_file 2 sphere a)
endif()
