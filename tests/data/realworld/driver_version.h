// The build's numbers, and the spelling helpers a driver's scripts share.
#define DRV_MAJOR 10
#define DRV_MINOR 0
#define DRV_BUILD 19041
#define DRV_QFE 1

#define STRINGIFY_(x) #x
#define STRINGIFY(x) STRINGIFY_(x)
#define DRV_VERSION_STRING STRINGIFY(DRV_MAJOR) "." STRINGIFY(DRV_MINOR) "." STRINGIFY(DRV_BUILD) "." STRINGIFY(DRV_QFE)

#define LANG_WITH_CHARSET "040904B0"
#define SZRCOMPANYNAME "CompanyName"
#define OPTIONAL_VALUE(key, text) VALUE key, text
#define PASTE(a, b) a##b
