/* rime_batch: the comparison start of another engine (Debian's librime) for bench/start-figures.
 * Starts the C API on a user folder, types one line of keys, commits it with Space, prints what
 * was committed and exits. With --deploy first it deploys the user folder (once, before the
 * timed runs): a timed run starts from the deployed files as a front end does between deploys.
 * Usage: rime_batch [--deploy] USER_DIR KEYS [SCHEMA] */
#include <rime_api.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
  int deploy = argc > 1 && strcmp(argv[1], "--deploy") == 0;
  if (deploy) {
    ++argv;
    --argc;
  }
  if (argc < 3) {
    fprintf(stderr, "usage: rime_batch [--deploy] USER_DIR KEYS [SCHEMA]\n");
    return 2;
  }
  RimeApi* api = rime_get_api();
  RIME_STRUCT(RimeTraits, traits);
  traits.shared_data_dir = "/usr/share/rime-data";
  traits.user_data_dir = argv[1];
  traits.distribution_name = "rime_batch";
  traits.distribution_code_name = "rime_batch";
  traits.distribution_version = "1";
  traits.app_name = "rime.rime_batch";
  traits.min_log_level = 3;
  api->setup(&traits);
  api->initialize(&traits);
  if (deploy && api->start_maintenance(True)) api->join_maintenance_thread();
  RimeSessionId session = api->create_session();
  if (argc > 3) api->select_schema(session, argv[3]);
  api->simulate_key_sequence(session, argv[2]);
  api->process_key(session, ' ', 0);
  RIME_STRUCT(RimeCommit, commit);
  int ok = api->get_commit(session, &commit);
  if (ok) {
    printf("%s\n", commit.text);
    api->free_commit(&commit);
  }
  api->destroy_session(session);
  api->finalize();
  return ok ? 0 : 1;
}
