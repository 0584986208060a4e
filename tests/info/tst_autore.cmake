pinnuvo_add_test(tst_autore ${CMAKE_CURRENT_LIST_DIR}/tst_autore.cpp)
