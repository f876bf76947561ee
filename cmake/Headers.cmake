# Every library of ours offers its headers (those of its sources, and headers it lists) in an
# include folder of its own, made of links in the build tree under the headers' paths in the
# sources ("platform/files/OutputFile.h"). A file sees the headers of its own library and of
# the libraries it links, and nothing else: an include of a layer above it fails to compile.
# Headers of the same folder may be included by their bare name only within one library.
#   plenmar_offer_headers(TARGET...)
function(plenmar_offer_headers)
    foreach(target IN LISTS ARGN)
        get_target_property(dir ${target} SOURCE_DIR)
        get_target_property(sources ${target} SOURCES)
        set(root ${PROJECT_BINARY_DIR}/include/${target})
        file(REMOVE_RECURSE ${root})
        foreach(source IN LISTS sources)
            get_filename_component(source ${source} ABSOLUTE BASE_DIR ${dir})
            string(REGEX REPLACE "\\.cpp$" ".h" header ${source})
            if(header MATCHES "\\.h$" AND EXISTS ${header})
                file(RELATIVE_PATH path ${PROJECT_SOURCE_DIR} ${header})
                get_filename_component(folder ${root}/${path} DIRECTORY)
                file(MAKE_DIRECTORY ${folder})
                file(CREATE_LINK ${header} ${root}/${path} SYMBOLIC)
            endif()
        endforeach()
        target_include_directories(${target} PUBLIC ${root})
    endforeach()
endfunction()
