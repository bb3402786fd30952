# Counting checks for the shell tests, sourced: check runs a command, counts it and names
# it when it fails; finish prints the counts and ends with the run's status.
passed=0 failed=0
check() {  # description, command...
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $what"
    return 1
  fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" = 0 ]
}
