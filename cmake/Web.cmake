# The browser build, with Debian's emscripten (the "web" preset): the program as WebAssembly on
# emscripten's own SDL 1.2, which is JavaScript drawing on the page's canvas. The site that serves
# it is put together by PackagingWeb.cmake.
set(web_dir ${PROJECT_SOURCE_DIR}/web)

# Emscripten's SDL, mended where the program depends on SDL 1.2's behaviour (each file says what
# it changes and why); the header shims come before emscripten's own headers, which they include
# next. Those are named here, right after the shims: newer emscriptens put a folder of headers
# that only say "use -sUSE_SDL" where older ones put SDL's, and -sUSE_SDL itself would put SDL's
# ahead of the shims.
set(web_libraries
  ${web_dir}/sdl_blit_null.js
  ${web_dir}/sdl_free_rw.js
  ${web_dir}/sdl_quit.js
  ${web_dir}/sdl_screen_frames.js
)
add_library(web_sdl INTERFACE)
target_include_directories(web_sdl SYSTEM INTERFACE
  ${web_dir}/include ${EMSCRIPTEN_SYSROOT}/include/SDL)
target_link_options(web_sdl INTERFACE
  # The program's loops yield to the browser through emscripten_sleep (system_web.cpp); every
  # call on the way there is a direct one, which spares instrumenting the indirect ones.
  -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT=1
  # SDL_LoadBMP_RW decodes through stb_image, which emscripten's SDL calls by name.
  -sSTB_IMAGE=1
  -sEXPORTED_FUNCTIONS=_main,_malloc,_free,_stbi_load_from_memory,_stbi_load,_stbi_image_free
  # The page hears the end (atexit runs, then Module.onExit with the status).
  -sEXIT_RUNTIME=1
  # The picture buffer is reserved at the size of the largest picture accepted.
  -sALLOW_MEMORY_GROWTH=1
  # The page writes the pictures into the program's file system before it starts.
  -sFORCE_FILESYSTEM=1
  -sENVIRONMENT=web
)
foreach(library IN LISTS web_libraries)
  target_link_options(web_sdl INTERFACE "SHELL:--js-library ${library}")
endforeach()
set(sketchboard_sdl web_sdl)
set(sketchboard_system_sources src/system_web.cpp)
set(sketchboard_entry src/main_web.cpp)
