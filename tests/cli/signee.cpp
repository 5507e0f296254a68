// A program to sign at test time; it carries a version resource (signee.rc) and does nothing.
int wmain() { return 0; }
