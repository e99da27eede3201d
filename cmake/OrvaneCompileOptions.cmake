# Warnings and sanitizer flags shared by every target of the project.
add_library(orvane_compile_options INTERFACE)
target_compile_options(orvane_compile_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align)

if(ORVANE_SANITIZE)
    set(_san -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_compile_options(${_san})
    add_link_options(-fsanitize=address,undefined)
endif()

# Adds a library or executable directory only when it exists, so parts of the tree
# can be built before the others are in place.
function(orvane_add_subdirectory_if_present dir)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
        add_subdirectory(${dir})
    endif()
endfunction()
