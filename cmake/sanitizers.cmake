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
