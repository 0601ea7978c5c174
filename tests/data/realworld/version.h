// Build numbers kept apart from the script, as many projects do.
#define VER_MAJOR 3
#define VER_MINOR 4
#define VER_PATCH 5
#define VER_BUILD 0
#define VER_STR "3.4.5.0"
#define COMPANY "Example Corp."
