/* A library with code and no resources at all. */
int velmora_test_data_marker(void) { return 1; }
