# AddressSanitizer and UndefinedBehaviorSanitizer for every target, including
# the plug-in module, so a fault on either side of the boundary is reported.
if(VEXOLIN_SANITIZE)
  if(MSVC)
    add_compile_options(/fsanitize=address)
  else()
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# ThreadSanitizer, for the tests of what runs on side threads (the tsan
# preset). It cannot be combined with AddressSanitizer.
option(VEXOLIN_SANITIZE_THREAD "Build with ThreadSanitizer" OFF)
if(VEXOLIN_SANITIZE_THREAD)
  if(VEXOLIN_SANITIZE)
    message(FATAL_ERROR "VEXOLIN_SANITIZE_THREAD and VEXOLIN_SANITIZE cannot be combined")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
