# Makes the Wine prefix that every end-to-end test copies, unless it is already current
# (made by this Wine with the settings in tools/wine-env.sh).
. "$(dirname "$0")/lib.sh" "$@"
wine_prefix_ensure "$TEMPLATE" || abort "could not make the prefix $TEMPLATE"
echo "prefix: $TEMPLATE is ready"
