% The identifiers of every fault, listed once in docs/errors.txt: the README's table "Errors" is
% the one the list makes, and each function's help names exactly the identifiers the list gives
% it; plorvent_core's help and its table in the README name the same identifiers.

%!function root = project_root()
%! root = fileparts(fileparts(fileparts(which('test_errors'))));
%!endfunction

%!function ids = named_in(text, after, before)
%! % The identifiers (PREFIX:SUFFIX, or :SUFFIX after a prefix named once) in TEXT from AFTER to
%! % the first BEFORE that follows it.
%! from = strfind(text, after);
%! assert(numel(from), 1, sprintf('"%s" once', after));
%! text = text(from:end);
%! text = text(1:strfind(text, before)(1));
%! ids = regexp(text, '(plorvent\w*|):([a-zA-Z]+)', 'tokens');  % '': the prefix named before
%!endfunction

%!test  # the README's table is the one the list makes
%! root = project_root();
%! addpath(fullfile(root, 'scripts'));
%! unwind_protect
%!   table = errors_table(root);
%! unwind_protect_cleanup
%!   rmpath(fullfile(root, 'scripts'));
%! end_unwind_protect
%! readme = fileread(fullfile(root, 'README.md'));
%! assert(~isempty(strfind(readme, ["-->\n" table "\n<!--"])), ...
%!        'README.md: run errors_table(''.'', true) in scripts/ to remake its table "Errors"');

%!test  # each function's help names the identifiers the list gives it, under its own prefix
%! root = project_root();
%! addpath(fullfile(root, 'scripts'));
%! unwind_protect
%!   [~, raised] = errors_table(root);
%! unwind_protect_cleanup
%!   rmpath(fullfile(root, 'scripts'));
%! end_unwind_protect
%! for name = fieldnames(raised)'
%!   prefix = regexprep(name{1}, '^plorvent_file$', 'plorvent');
%!   ids = named_in(get_help_text(name{1}), 'Errors carry the identifiers', 'README');
%!   prefixes = cellfun(@(t) t{1}, ids, 'UniformOutput', false);
%!   assert(all(strcmp(prefixes, prefix) | cellfun(@isempty, prefixes)), name{1});
%!   assert(sort(cellfun(@(t) t{2}, ids, 'UniformOutput', false)), sort(raised.(name{1})), name{1});
%! end

%!test  # plorvent_core: its help and the README's table for it name the same identifiers
%! readme = fileread(fullfile(project_root(), 'README.md'));
%! in_readme = named_in(readme, '| identifier | when |', sprintf('\n\n'));
%! in_help = named_in(get_help_text('plorvent_core'), 'Errors, by identifier:', 'This file');
%! assert(sort(cellfun(@(t) t{2}, in_readme, 'UniformOutput', false)), ...
%!        sort(cellfun(@(t) t{2}, in_help, 'UniformOutput', false)));
