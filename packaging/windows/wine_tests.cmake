# The Windows build's tests: the release zip unpacked, checked as a folder, and run under Wine on
# an Xvfb display. Build the zip first (the `package` target); each Wine test has a prefix and a
# display of its own.
find_program(OSKE_WINE wine REQUIRED)
find_program(OSKE_XVFB Xvfb REQUIRED)
find_program(OSKE_XDOTOOL xdotool REQUIRED)
find_program(OSKE_XWD xwd REQUIRED)
find_program(OSKE_WRESTOOL wrestool REQUIRED)
find_program(OSKE_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)

# Frames may differ from the Linux build's where the mingw and glibc sinf/cosf disagree in the
# last bit: at most this many pixels per frame, each channel by at most this much.
set(OSKE_WINE_FRAME_MAX_PIXELS 30000)
set(OSKE_WINE_FRAME_MAX_CHANNEL 255)

add_executable(oske_wine_crash tests/crash.c)
add_executable(oske_fake_ffmpeg tests/fake_ffmpeg.c)

set(zip ${PROJECT_BINARY_DIR}/oske-${PROJECT_VERSION}-win64.zip)
set(unpacked ${CMAKE_CURRENT_BINARY_DIR}/wine-tests)
set(folder ${unpacked}/oske-${PROJECT_VERSION}-win64)
set(tests ${CMAKE_CURRENT_SOURCE_DIR}/tests)

add_test(NAME windows.unpack_release
  COMMAND sh -c "rm -rf '${unpacked}' && mkdir -p '${unpacked}' && cd '${unpacked}' && \
${CMAKE_COMMAND} -E tar xf '${zip}'")
set_tests_properties(windows.unpack_release PROPERTIES FIXTURES_SETUP oske_release)

add_test(NAME windows.release_folder
  COMMAND bash ${tests}/release_folder.sh ${folder} ${OSKE_HOST_DIR}/music.xm ${OSKE_OBJDUMP})
add_test(NAME windows.wine_start_draw_quit
  COMMAND bash ${tests}/start_quit.sh ${OSKE_HOST_FRAME_DIFF})
add_test(NAME windows.wine_command_line COMMAND bash ${tests}/command_line.sh)
add_test(NAME windows.wine_timeline_end COMMAND bash ${tests}/timeline_end.sh)
add_test(NAME windows.wine_missing_music COMMAND bash ${tests}/missing_music.sh)
add_test(NAME windows.wine_crash_fails
  COMMAND bash ${tests}/crash_fails.sh $<TARGET_FILE:oske_wine_crash>)
add_test(NAME windows.wine_capture_frames
  COMMAND bash ${tests}/capture_frames.sh ${OSKE_HOST_CAPTURE} ${OSKE_HOST_DIR}/music.xm
          ${OSKE_HOST_FRAME_DIFF}
          ${OSKE_WINE_FRAME_MAX_PIXELS} ${OSKE_WINE_FRAME_MAX_CHANNEL})
add_test(NAME windows.wine_capture_wav
  COMMAND bash ${tests}/capture_wav.sh ${OSKE_HOST_CAPTURE} ${OSKE_HOST_DIR}/music.xm)

add_test(NAME windows.wine_video_pipe
  COMMAND bash ${tests}/video_pipe.sh $<TARGET_FILE:oske_fake_ffmpeg>)

set(OSKE_WINE_TESTS windows.wine_video_pipe windows.release_folder windows.wine_start_draw_quit
  windows.wine_command_line windows.wine_timeline_end
  windows.wine_missing_music windows.wine_crash_fails windows.wine_capture_frames
  windows.wine_capture_wav)
set_tests_properties(${OSKE_WINE_TESTS} PROPERTIES
  FIXTURES_REQUIRED oske_release
  ENVIRONMENT "OSKE_ZIP_DIR=${folder}"
  TIMEOUT 900)
