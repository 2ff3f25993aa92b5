// The embedded window definitions and pictures hang on this library.
