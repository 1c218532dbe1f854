# The files of the stores that read bytes from disk; the fuzz targets build the same list.
set(NORVANE_STORE_SOURCES
  ProgressEntry.h ProgressEntry.cpp
  Favorite.h Favorite.cpp
  ProgressStore.h ProgressStore.cpp
  FavoritesStore.h FavoritesStore.cpp
  StoreFile.h StoreFile.cpp
  PrivateFiles.h PrivateFiles.cpp
  StoredContentType.h StoredContentType.cpp
)
