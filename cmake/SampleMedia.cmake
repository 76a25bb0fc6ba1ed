# Sample songs, an advert clip and cover pictures, made at build time with gst-launch-1.0 (never
# downloaded) into ${CMAKE_BINARY_DIR}/media. Targets that use them link zr_sample_media_folder,
# which names the folder as ZR_SAMPLE_MEDIA_DIR and builds the files first.
find_program(ZR_GST_LAUNCH gst-launch-1.0 REQUIRED)
set(ZR_SAMPLE_MEDIA_DIR ${CMAKE_BINARY_DIR}/media)
set(zr_sample_media_files)

# zr_sample_file(<file name> <pipeline elements before the file sink...>)
function(zr_sample_file name)
  set(output ${ZR_SAMPLE_MEDIA_DIR}/${name})
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZR_SAMPLE_MEDIA_DIR}
    COMMAND ${ZR_GST_LAUNCH} -q ${ARGN} ! filesink location=${output}.part
    COMMAND ${CMAKE_COMMAND} -E rename ${output}.part ${output}
    COMMENT "Making sample media ${name}"
    VERBATIM)
  set(zr_sample_media_files ${zr_sample_media_files} ${output} PARENT_SCOPE)
endfunction()

# <seconds> of a tone at <frequency>, 44.1 kHz stereo; one buffer per tenth of a second.
function(zr_tone out seconds frequency)
  math(EXPR buffers "${seconds} * 10")
  set(${out} audiotestsrc num-buffers=${buffers} samplesperbuffer=4410 freq=${frequency}
    ! audio/x-raw,rate=44100,channels=2 ! audioconvert PARENT_SCOPE)
endfunction()

set(zr_cbr lamemp3enc target=bitrate cbr=true bitrate=128)

zr_tone(tone 2 440)
zr_sample_file(song-2s.mp3 ${tone} ! ${zr_cbr} ! xingmux)
zr_tone(tone 3 660)
zr_sample_file(song-3s.mp3 ${tone} ! ${zr_cbr} ! xingmux)
zr_tone(tone 60 523)
zr_sample_file(song-60s.mp3 ${tone} ! ${zr_cbr} ! xingmux)
zr_tone(tone 1 880)
zr_sample_file(advert.mp3 ${tone} ! ${zr_cbr} ! xingmux)
# Noise varies the frame sizes, and without a Xing header the length is unknown at first.
zr_sample_file(song-vbr.mp3 audiotestsrc num-buffers=40 samplesperbuffer=4410 wave=pink-noise
  ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! lamemp3enc target=quality quality=2)
zr_sample_file(cover-1.jpg videotestsrc num-buffers=1 pattern=smpte ! video/x-raw,width=320,height=320 ! jpegenc)
zr_sample_file(cover-2.jpg videotestsrc num-buffers=1 pattern=ball ! video/x-raw,width=320,height=320 ! jpegenc)

add_custom_target(zr_sample_media ALL DEPENDS ${zr_sample_media_files})
add_library(zr_sample_media_folder INTERFACE)
target_compile_definitions(zr_sample_media_folder INTERFACE ZR_SAMPLE_MEDIA_DIR="${ZR_SAMPLE_MEDIA_DIR}")
add_dependencies(zr_sample_media_folder zr_sample_media)
