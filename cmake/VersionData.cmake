# The version strings that the banner shows. They are written into the
# executable as a data block; string(TIMESTAMP) honours SOURCE_DATE_EPOCH.
set(KESTRIX_PRODUCT_NAME "Kestrix")
set(KESTRIX_FILE_DESCRIPTION "LAME tag reader")
set(KESTRIX_LEGAL_COPYRIGHT "2026 the Kestrix developers")
set(KESTRIX_PRODUCT_VERSION "${PROJECT_VERSION}")
set(KESTRIX_FILE_VERSION "${PROJECT_VERSION}.0")
string(TIMESTAMP KESTRIX_COMPILE_DATE "%Y-%m-%d" UTC)
