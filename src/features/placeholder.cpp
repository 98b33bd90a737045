// The features library exists before its first feature lands.
