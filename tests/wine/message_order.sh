# The order of the saver window's three handlers and the platform calls of each, for
# every message that the host or the scene handles: sequence_test.cpp, run in its own
# prefix and display since it opens a real full-screen saver window.
. "$(dirname "$0")/lib.sh" "$@"

message_order() {
  local rc
  wine_run 90 "$SEQUENCE_TEST" >"$TEST_DIR/sequence_test.log" 2>&1
  rc=$?
  sed 's/^/      /' "$TEST_DIR/sequence_test.log"
  expect_eq "sequence_test exit code" 0 "$rc"
}

test_begin
run_case message_order
test_end
