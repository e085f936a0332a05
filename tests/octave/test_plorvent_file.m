% plorvent_file in a temporary folder: its output file holds the bits plorvent gives for the same
% samples, for several block sizes, paddings and both NaN modes; it reads a block at a time; the
% MATLAB branch (memmapfile, Java's file identity, movefile) gives the same; every refusal has its
% identifier, inputs that are not regular files at once (a pipe never waits for a writer); the
% input is never harmed, nor an existing output replaced, when the output is the input under
% another name, the input changes, a write fails or the output's folder vanishes; no failed write
% passes for done; and a symbolic link as output is written through, also where its target is
% missing.

%!function write_samples(file, x)
%! fid = fopen(file, 'w', 'ieee-le');
%! fwrite(fid, x, 'double');
%! fclose(fid);
%!endfunction

%!function x = read_samples(file)
%! fid = fopen(file, 'r', 'ieee-le');
%! x = fread(fid, Inf, 'double');
%! fclose(fid);
%!endfunction

%!function x = signal_with_edges(n)
%! % Ties, NaNs of several payloads and signs and zeros of both signs, the block edges included.
%! rand('seed', 5);
%! x = round(4 * rand(n, 1)) - 2;
%! x(x == 0 & rand(n, 1) < 0.5) = -0;
%! x([1 3 7 8 14 15 21 22 35 43 50]) = typecast([uint64(0x7FF8000000000000), ...
%!   uint64(0xFFF8000000000000), uint64(0x7FF8000000000042), 0, 0x8000000000000000, ...
%!   uint64(0x7FF80000000000AB), 0x8000000000000000, 0, uint64(0xFFF8000000000009), 0, ...
%!   0x8000000000000000], 'double');
%!endfunction

%!function folder_in_place_of(file)
%! % FILE becomes a folder that is not empty, which no file can be renamed onto.
%! unlink(file);
%! mkdir(file);
%! write_samples(fullfile(file, 'x.bin'), 1);
%!endfunction

%!function folder = shadow(files)
%! % A temporary folder ahead on the path holding the given functions: {name, text; ...}.
%! folder = tempname();
%! mkdir(folder);
%! for k = 1:rows(files)
%!   fid = fopen(fullfile(folder, [files{k, 1} '.m']), 'w');
%!   fputs(fid, files{k, 2});
%!   fclose(fid);
%! end
%! warning('off', 'Octave:shadowed-function');
%! addpath(folder);
%!endfunction

%!function remove(folder)
%! if any(strcmp(folder, strsplit(path(), pathsep())))
%!   rmpath(folder);
%! end
%! warning('on', 'Octave:shadowed-function');
%! confirm_recursive_rmdir(false);
%! rmdir(folder, 's');
%!endfunction

%!test  # the output holds plorvent's bits, for every block size, padding and NaN mode
%! folder = tempname();
%! mkdir(folder);
%! unwind_protect
%!   input = fullfile(folder, 'in.bin');
%!   output = fullfile(folder, 'out.bin');
%!   x = signal_with_edges(50);
%!   write_samples(input, x);
%!   for w = [1 7 61]                     % 61: the padding wraps past the whole signal
%!     for block = [1 3 7 8 49 50 1e6]
%!       for padding = {'zeros', 'replicate', 'symmetric', 'periodic', NaN, -2.5}
%!         for mode = {'includenan', 'raw'}
%!           n = plorvent_file(input, output, w, padding{1}, 'NaN', mode{1}, 'BlockSize', block);
%!           expected = plorvent(x, w, padding{1}, 'NaN', mode{1});
%!           assert(n, 50);
%!           assert(typecast(read_samples(output), 'uint64'), typecast(expected, 'uint64'), ...
%!                  sprintf('w=%d block=%d %s %s', w, block, num2str(padding{1}), mode{1}));
%!         end
%!       end
%!     end
%!   end
%!   assert(typecast(read_samples(input), 'uint64'), typecast(x, 'uint64'));
%!   write_samples(input, []);           % an empty signal gives an empty file, also through a link
%!   write_samples(output, 1:4);
%!   symlink(output, fullfile(folder, 'link.bin'));
%!   assert(plorvent_file(input, fullfile(folder, 'link.bin'), 3, 'periodic'), 0);
%!   assert(dir(output).bytes, 0);
%!   assert(S_ISLNK(lstat(fullfile(folder, 'link.bin')).mode));
%!   write_samples(input, x);            % a dangling link's target is made, the link kept
%!   symlink('made.bin', fullfile(folder, 'dangling.bin'));
%!   symlink('ranges.bin', fullfile(folder, 'dangling_ranges.bin'));
%!   plorvent_file(input, fullfile(folder, 'dangling.bin'), 3);
%!   plorvent_file(input, fullfile(folder, 'dangling_ranges.bin'), 3, 'Range', [1 50]);
%!   for name = {'dangling.bin', 'dangling_ranges.bin'}
%!     assert(S_ISLNK(lstat(fullfile(folder, name{1})).mode));
%!     assert(typecast(read_samples(fullfile(folder, name{1})), 'uint64'), ...
%!            typecast(plorvent(x, 3), 'uint64'));
%!   end
%!   assert(sort({dir(folder).name}), {'.', '..', 'dangling.bin', 'dangling_ranges.bin', ...
%!                                     'in.bin', 'link.bin', 'made.bin', 'out.bin', 'ranges.bin'});
%!   [~, name] = fileparts(folder);         % an input found on the path, as fopen finds it
%!   copyfile(input, fullfile(folder, [name '.bin']));
%!   addpath(folder);
%!   assert(plorvent_file([name '.bin'], output, 3), 50);
%!   mkfifo(fullfile(folder, 'pipe'), 600);  % a pipe named as OUTPUT is written, not replaced
%!   reader = fopen(fullfile(folder, 'pipe'), 'r+');   % opening to read and write waits for nobody
%!   assert(plorvent_file(input, fullfile(folder, 'pipe'), 3, 'BlockSize', 7), 50);
%!   assert(S_ISFIFO(lstat(fullfile(folder, 'pipe')).mode));
%!   y = fread(reader, 50, 'double');
%!   fclose(reader);
%!   assert(typecast(y, 'uint64'), typecast(plorvent(x, 3), 'uint64'));
%! unwind_protect_cleanup
%!   remove(folder);
%! end_unwind_protect

%!test  # reads a block and its neighbours at a time, never the whole file
%! global fread_counts
%! folder = shadow({'fread', ["function varargout = fread(varargin)\n", ...
%!                            "global fread_counts\n", ...
%!                            "fread_counts(end + 1) = varargin{2};\n", ...
%!                            "[varargout{1:nargout}] = builtin('fread', varargin{:});\n"]});
%! unwind_protect
%!   input = fullfile(folder, 'in.bin');
%!   output = fullfile(folder, 'out.bin');
%!   x = signal_with_edges(5000);
%!   write_samples(input, x);
%!   for padding = {'replicate', 'symmetric', 'periodic'}
%!     fread_counts = [];
%!     plorvent_file(input, output, 101, padding{1}, 'BlockSize', 400);
%!     assert(max(fread_counts) <= 400 + 100 && sum(fread_counts) < 2 * 5000, padding{1});
%!     assert(typecast(read_samples(output), 'uint64'), ...
%!            typecast(plorvent(x, 101, padding{1}), 'uint64'));
%!   end
%!   fread_counts = [];
%!   plorvent_file(input, output, 101, 'Range', [2001 2300]);  % a range reads its windows only
%!   assert(sum(fread_counts), 300 + 100);
%! unwind_protect_cleanup
%!   clear -global fread_counts
%!   remove(folder);
%! end_unwind_protect

%!function toolbox = as_in_matlab(folder)
%! % A copy of plorvent_file and its helpers, ahead on the path, whose host test says MATLAB.
%! toolbox = fullfile(folder, 'as_in_matlab');
%! source = fileparts(which('plorvent_file'));
%! mkdir(toolbox);
%! copyfile(fullfile(source, 'plorvent_file.m'), toolbox);
%! copyfile(fullfile(source, 'private'), fullfile(toolbox, 'private'));
%! fid = fopen(fullfile(toolbox, 'private', 'is_octave.m'), 'w');
%! fputs(fid, "function yes = is_octave()\nyes = false;\nend\n");
%! fclose(fid);
%! addpath(toolbox);
%!endfunction

%!test  # the MATLAB branch, which reads through memmapfile: the same bits
%! global mapped
%! folder = shadow({'memmapfile', ["function map = memmapfile(file, varargin)\n", ...
%!                                 "global mapped\n", ...
%!                                 "assert(isequal(varargin, {'Format', 'double'}));\n", ...
%!                                 "mapped{end + 1} = file;\n", ...
%!                                 "fid = fopen(file, 'r', 'ieee-le');\n", ...
%!                                 "map.Data = fread(fid, Inf, 'double');\n", ...
%!                                 "fclose(fid);\n"]});
%! toolbox = as_in_matlab(folder);
%! here = pwd();
%! unwind_protect
%!   input = fullfile(folder, 'in.bin');
%!   output = fullfile(folder, 'out.bin');
%!   x = signal_with_edges(50);
%!   write_samples(input, x);
%!   mapped = {};
%!   plorvent_file(input, output, 9, 'symmetric', 'BlockSize', 6, 'NaN', 'raw');
%!   assert(mapped, {input});
%!   assert(typecast(read_samples(output), 'uint64'), ...
%!          typecast(plorvent(x, 9, 'symmetric', 'NaN', 'raw'), 'uint64'));
%!   % Identity through Java: a hard link named relative to a current folder Java does not know.
%!   assert(usejava('jvm'), 'this test needs Java (default-jre-headless)');
%!   link(input, fullfile(folder, 'hard.bin'));
%!   symlink(output, fullfile(folder, 'out_link.bin'));
%!   cd(folder);
%!   assert(plorvent_file('in.bin', 'out_link.bin', 3), 50);   % through the link, by movefile
%!   assert(S_ISLNK(lstat('out_link.bin').mode));
%!   assert(typecast(read_samples(output), 'uint64'), typecast(plorvent(x, 3), 'uint64'));
%!   try
%!     plorvent_file('in.bin', './hard.bin', 3);
%!     error('no error');
%!   catch err
%!     assert(err.identifier, 'plorvent:sameFile');
%!   end
%!   symlink('made.bin', 'dangling.bin');   % a dangling link read through Java: its target made
%!   plorvent_file('in.bin', 'dangling.bin', 3);
%!   assert(S_ISLNK(lstat('dangling.bin').mode));
%!   assert(typecast(read_samples('made.bin'), 'uint64'), typecast(plorvent(x, 3), 'uint64'));
%!   for input_name = {folder, '/dev/null'}    % kinds of file told by Java
%!     try
%!       plorvent_file(input_name{1}, 'out.bin', 3);
%!       error('no error');
%!     catch err
%!       assert(err.identifier, 'plorvent:notARegularFile');
%!     end
%!   end
%!   % Ranges into a missing output: made at full length through Java, linked into place.
%!   plorvent_file('in.bin', 'pieces.bin', 3, 'Range', [31 50]);
%!   plorvent_file('in.bin', 'pieces.bin', 3, 'Range', [1 30]);
%!   assert(typecast(read_samples('pieces.bin'), 'uint64'), typecast(plorvent(x, 3), 'uint64'));
%!   assert(typecast(read_samples(input), 'uint64'), typecast(x, 'uint64'));
%! unwind_protect_cleanup
%!   cd(here);
%!   clear -global mapped
%!   rmpath(toolbox);
%!   remove(folder);
%! end_unwind_protect

%!test  # refusals: each with its identifier, the input file never changed, nothing left behind
%! folder = tempname();
%! mkdir(folder);
%! here = pwd();
%! unwind_protect
%!   input = fullfile(folder, 'in.bin');
%!   output = fullfile(folder, 'out.bin');
%!   write_samples(input, [3 1 2 5 4]);
%!   fid = fopen(fullfile(folder, 'odd.bin'), 'w');
%!   fwrite(fid, zeros(1, 13), 'uint8');
%!   fclose(fid);
%!   symlink(input, fullfile(folder, 'link.bin'));
%!   link(input, fullfile(folder, 'hard.bin'));
%!   symlink(folder, [folder '.dirlink']);
%!   symlink('loop.bin', fullfile(folder, 'loop.bin'));   % a link to itself: nothing to write to
%!   [~, name] = fileparts(folder);
%!   files = {dir(folder).name};
%!   cd(folder);                          % for the relative spellings
%!   refusals = {
%!     'plorvent:notEnoughInputs',   {input, output}
%!     'plorvent:invalidFileName',   {3, output, 3}
%!     'plorvent:invalidFileName',   {input, {output}, 3}
%!     'plorvent:invalidFileName',   {[input; input], output, 3}
%!     'plorvent:fileNotFound',      {fullfile(folder, 'none.bin'), output, 3}
%!     'plorvent:notARegularFile',   {folder, output, 3}
%!     'plorvent:notARegularFile',   {'/dev/null', output, 3}
%!     'plorvent:invalidFileSize',   {fullfile(folder, 'odd.bin'), output, 3}
%!     'plorvent:sameFile',          {input, input, 3}
%!     'plorvent:sameFile',          {input, fullfile(folder, '..', name, 'in.bin'), 3}
%!     'plorvent:sameFile',          {input, fullfile(folder, 'link.bin'), 3}
%!     'plorvent:sameFile',          {fullfile(folder, 'link.bin'), input, 3}
%!     'plorvent:sameFile',          {input, fullfile(folder, 'hard.bin'), 3}
%!     'plorvent:sameFile',          {'hard.bin', './in.bin', 3}
%!     'plorvent:sameFile',          {'./in.bin', fullfile('..', name, '.', 'link.bin'), 3}
%!     'plorvent:sameFile',          {fullfile([folder '.dirlink'], 'in.bin'), 'in.bin', 3}
%!     'plorvent:cannotWriteFile',   {input, fullfile(folder, 'none', 'out.bin'), 3}
%!     'plorvent:cannotWriteFile',   {input, folder, 3}
%!     'plorvent:cannotWriteFile',   {input, fullfile(folder, 'loop.bin'), 3}
%!     'plorvent:invalidWindow',     {input, output, 4}
%!     'plorvent:invalidPadding',    {input, output, 3, 'mirror'}
%!     'plorvent:unknownOption',     {input, output, 3, 'zeros', 1}
%!     'plorvent:invalidOptionValue', {input, output, 3, 'BlockSize', 0}
%!     'plorvent:invalidOptionValue', {input, output, 3, 'NaN', 'omitnan'}};
%!   for k = 1:rows(refusals)
%!     try
%!       plorvent_file(refusals{k, 2}{:});
%!       error('no error');
%!     catch err
%!       assert(err.identifier, refusals{k, 1}, sprintf('refusal %d: %s', k, err.message));
%!     end
%!     assert(read_samples(input), [3; 1; 2; 5; 4]);
%!   end
%!   assert({dir(folder).name}, files);  % no output, no partial file
%!   assert(numel(fopen('all')), 0);     % every file closed again
%! unwind_protect_cleanup
%!   cd(here);
%!   delete([folder '.dirlink']);
%!   remove(folder);
%! end_unwind_protect

%!test  # changes while it runs: refused, the input as the change left it, no output replaced
%! global mid_run                         % run once by the next fread
%! folder = shadow({'fread', ["function varargout = fread(varargin)\n", ...
%!                            "global mid_run\n", ...
%!                            "[varargout{1:nargout}] = builtin('fread', varargin{:});\n", ...
%!                            "if ~isempty(mid_run)\n", ...
%!                            "  action = mid_run;\n", ...
%!                            "  mid_run = [];\n", ...
%!                            "  action();\n", ...
%!                            "end\n"]});
%! unwind_protect
%!   input = fullfile(folder, 'in.bin');
%!   out_folder = fullfile(folder, 'out [1]');   % not a pattern: no partial file may stay
%!   output = fullfile(out_folder, 'out.bin');
%!   x = signal_with_edges(5000);
%!   confirm_recursive_rmdir(false);
%!   changes = {
%!     'plorvent:inputChanged', @() write_samples(input, [x; 1]),   [x; 1]
%!     'plorvent:inputChanged', @() write_samples(input, x(1:100)), x(1:100)
%!     'plorvent:writeFailed',  @() rmdir(out_folder, 's'),         x
%!     'plorvent:moveFailed',   @() folder_in_place_of(output),     x};
%!   for k = 1:rows(changes)
%!     write_samples(input, x);
%!     mkdir(out_folder);
%!     write_samples(output, [7 8 9]);
%!     mid_run = changes{k, 2};
%!     try
%!       plorvent_file(input, output, 101, 'replicate', 'BlockSize', 400);
%!       error('no error');
%!     catch err
%!       assert(err.identifier, changes{k, 1}, sprintf('change %d: %s', k, err.message));
%!     end
%!     assert(typecast(read_samples(input), 'uint64'), typecast(changes{k, 3}, 'uint64'));
%!     if k <= 2
%!       assert(read_samples(output), [7; 8; 9]);
%!     end
%!     if exist(out_folder, 'dir')
%!       assert(readdir(out_folder), {'.'; '..'; 'out.bin'}, sprintf('change %d', k));
%!       rmdir(out_folder, 's');
%!     end
%!   end
%!   assert(numel(fopen('all')), 0);
%! unwind_protect_cleanup
%!   clear -global mid_run
%!   remove(folder);
%! end_unwind_protect

%!function said = in_child(folder, prefix, calls)
%! % Runs CALLS in a child Octave started by the shell command PREFIX, killed after 30 s; there
%! % tell(...) prints the identifier of the error plorvent_file(...) raises. Returns the lines
%! % printed.
%! script = fullfile(folder, 'child.m');
%! fid = fopen(script, 'w');
%! fprintf(fid, ['1;\nfunction tell(varargin)\n  try\n    plorvent_file(varargin{:});\n' ...
%!               '    disp(''no error'');\n  catch err\n    disp(err.identifier);\n  end\n' ...
%!               'end\naddpath(''%s'');\n%s\n'], fileparts(which('plorvent_file')), calls);
%! fclose(fid);
%! [~, said] = system(sprintf(['timeout -s KILL 30 %s "%s" --norc --quiet --no-history ' ...
%!                             '--no-window-system "%s"'], prefix, ...
%!                            fullfile(OCTAVE_HOME(), 'bin', 'octave-cli'), script));
%! said = strsplit(strtrim(said), "\n");
%!endfunction

%!test  # writes that fail: to a device, past a file-size limit; nothing replaced, nothing left
%! folder = tempname();
%! mkdir(folder);
%! unwind_protect
%!   input = fullfile(folder, 'in.bin');
%!   output = fullfile(folder, 'out.bin');
%!   write_samples(input, 1:10);          % few enough to wait in a buffer until the file is closed
%!   try
%!     plorvent_file(input, '/dev/full', 3);
%!     error('no error');
%!   catch err
%!     assert(err.identifier, 'plorvent:writeFailed', err.message);
%!   end
%!   x = signal_with_edges(1025);          % the output holds one sample past the 8 KiB limit
%!   write_samples(input, x);
%!   write_samples(output, [7 8 9]);
%!   % Ignoring SIGXFSZ makes a write past the limit fail instead of ending the process.
%!   said = in_child(folder, 'bash -c ''trap "" XFSZ; ulimit -f 8; exec "$0" "$@"''', ...
%!                   sprintf('tell(''%s'', ''%s'', 3, ''BlockSize'', 128);', input, output));
%!   assert(said, {'plorvent:writeFailed'});
%!   assert(read_samples(output), [7; 8; 9]);
%!   assert(typecast(read_samples(input), 'uint64'), typecast(x, 'uint64'));
%!   assert(sort({dir(folder).name}), {'.', '..', 'child.m', 'in.bin', 'out.bin'});
%!   assert(numel(fopen('all')), 0);
%! unwind_protect_cleanup
%!   remove(folder);
%! end_unwind_protect

%!testif ; getuid() == 0    # mounts a file system of 64 KiB
%! folder = tempname();      # a full disk: nothing replaced, a range not taken as written
%! disk = fullfile(folder, 'disk');
%! mkdir(disk);
%! if system(sprintf('mount -t tmpfs -o size=64k tmpfs "%s" 2> /dev/null', disk)) ~= 0
%!   rmdir(disk);
%!   rmdir(folder);
%!   disp('skipped: a full disk (no tmpfs could be mounted)');
%!   return;
%! end
%! unwind_protect
%!   input = fullfile(folder, 'in.bin');
%!   output = fullfile(disk, 'out.bin');
%!   write_samples(input, 1:100);         % few enough to wait in a buffer until the file is closed
%!   write_samples(output, [7 8 9]);
%!   system(sprintf('truncate -s 800 "%s"; cat /dev/zero > "%s" 2> /dev/null', ...
%!                  fullfile(disk, 'ranges.bin'), fullfile(disk, 'fill')));   % the disk full
%!   calls = {{input, output, 3}, {input, fullfile(disk, 'ranges.bin'), 3, 'Range', [1 100]}};
%!   for k = 1:2
%!     try
%!       plorvent_file(calls{k}{:});
%!       error('no error');
%!     catch err
%!       assert(err.identifier, 'plorvent:writeFailed', err.message);
%!     end
%!   end
%!   assert(read_samples(output), [7; 8; 9]);
%!   assert(sort({dir(disk).name}), {'.', '..', 'fill', 'out.bin', 'ranges.bin'});
%!   assert(numel(fopen('all')), 0);
%! unwind_protect_cleanup
%!   system(sprintf('umount "%s"', disk));
%!   remove(folder);
%! end_unwind_protect

%!test  # inputs that are not regular files: refused at once (a pipe never waits for a writer)
%! folder = tempname();
%! mkdir(folder);
%! unwind_protect
%!   output = fullfile(folder, 'out.bin');
%!   pipe = fullfile(folder, 'pipe');
%!   write_samples(output, [7 8 9]);
%!   mkfifo(pipe, 600);
%!   said = in_child(folder, '', sprintf(['tell(''%s'', ''%s'', 3);\n' ...
%!                                        'writer = fopen(''%s'', ''r+'');\n' ...
%!                                        'tell(''%s'', ''%s'', 3);'], ...
%!                                       pipe, output, pipe, pipe, output));
%!   assert(said, {'plorvent:notARegularFile', 'plorvent:notARegularFile'});
%!   assert(read_samples(output), [7; 8; 9]);
%!   assert({dir(folder).name}, {'.', '..', 'child.m', 'out.bin', 'pipe'});  % no part file
%! unwind_protect_cleanup
%!   remove(folder);
%! end_unwind_protect

%!testif ; getuid() != 0 || system('runuser -u nobody -- true') == 0
%! folder = tempname();      # an input the caller may not read, by a caller other than root
%! mkdir(folder);
%! unwind_protect
%!   input = fullfile(folder, 'in.bin');
%!   write_samples(input, 1:5);
%!   system(sprintf('chmod 000 "%s"', input));
%!   prefix = {'', 'runuser -u nobody --'}{1 + (getuid() == 0)};
%!   said = in_child(folder, prefix, sprintf('tell(''%s'', ''%s'', 3);', input, ...
%!                                           fullfile(folder, 'out.bin')));
%!   assert(said, {'plorvent:cannotReadFile'});
%!   assert({dir(folder).name}, {'.', '..', 'child.m', 'in.bin'});
%! unwind_protect_cleanup
%!   remove(folder);
%! end_unwind_protect

%!function ranges = random_cover(n)
%! % Ranges that cover outputs 1..n, in random order, some overlapping their neighbours.
%! cuts = unique([0, sort(randi(n, 1, randi(4))), n]);
%! ranges = {};
%! for k = 1:numel(cuts) - 1
%!   ranges{end + 1} = [max(cuts(k) + 1 - randi([0 2]), 1), cuts(k + 1)];
%! end
%! ranges = ranges(randperm(numel(ranges)));
%!endfunction

%!test  # ranges in any order, overlapping or not, give the bytes of one whole call
%! folder = tempname();
%! mkdir(folder);
%! unwind_protect
%!   input = fullfile(folder, 'in.bin');
%!   whole = fullfile(folder, 'whole.bin');
%!   pieces = fullfile(folder, 'pieces.bin');
%!   rand('seed', 14);
%!   randn('seed', 14);
%!   paddings = {'zeros', 2.5, 'replicate', 'symmetric', 'periodic'};
%!   for trial = 1:16
%!     n = [1, 2, 9, 1e6, randi(3000, 1, 12)](trial);
%!     x = signal_with_edges(max(n, 50))(1:n);
%!     write_samples(input, x);
%!     w = 2 * randi(min(ceil(0.7 * n) + 1, 500)) - 1;     % up to beyond short signals
%!     args = {w, paddings{mod(trial, 5) + 1}, 'NaN', {'includenan', 'raw'}{mod(trial, 2) + 1}, ...
%!             'BlockSize', randi(500)};
%!     plorvent_file(input, whole, args{:});
%!     ranges = random_cover(n);
%!     for k = 1:numel(ranges)
%!       assert(plorvent_file(input, pieces, args{:}, 'Range', ranges{k}), diff(ranges{k}) + 1);
%!     end
%!     assert(typecast(read_samples(pieces), 'uint64'), typecast(read_samples(whole), 'uint64'));
%!     delete(pieces);
%!   end
%!   % A range of a long signal in an existing output: the rest of it left as it was.
%!   x = randn(1e6, 1);
%!   write_samples(input, x);
%!   write_samples(pieces, -x);
%!   plorvent_file(input, pieces, 101, 'Range', [400000 700000]);
%!   y = read_samples(pieces);
%!   m = plorvent(x, 101);
%!   assert(y([1:399999, 700001:end]), -x([1:399999, 700001:end]));
%!   assert(y(400000:700000), m(400000:700000));
%!   assert(read_samples(input), x);
%! unwind_protect_cleanup
%!   remove(folder);
%! end_unwind_protect

%!test  # 'Workers' on the parallel package, and one after another without it
%! folder = tempname();
%! mkdir(folder);
%! unwind_protect
%!   input = fullfile(folder, 'in.bin');
%!   output = fullfile(folder, 'out.bin');
%!   x = signal_with_edges(200000);
%!   write_samples(input, x);
%!   expected = typecast(plorvent(x, 31, 'symmetric'), 'uint64');
%!   assert(plorvent_file(input, output, 31, 'symmetric', 'Workers', 2), 200000);
%!   assert(typecast(read_samples(output), 'uint64'), expected);
%!   assert({dir(folder).name}, {'.', '..', 'in.bin', 'out.bin'});  % no part file left
%!   delete(output);
%!   plorvent_file(input, output, 31, 'symmetric', 'Workers', 3, 'Range', [1 150000]);
%!   plorvent_file(input, output, 31, 'symmetric', 'Range', [150001 200000]);
%!   assert(typecast(read_samples(output), 'uint64'), expected);
%!   % A worker's refusal comes back with its identifier.
%!   write_samples(output, 1:3);
%!   err = '';
%!   try
%!     plorvent_file(input, output, 31, 'Workers', 2, 'Range', [1 10]);
%!   catch caught
%!     err = caught.identifier;
%!   end
%!   assert(err, 'plorvent:wrongOutputSize');
%!   delete(output);
%!   hidden = shadow({'exist', ["function r = exist(name, varargin)\n", ...
%!                              "r = builtin('exist', name, varargin{:});\n", ...
%!                              "if strcmp(name, 'parcellfun'), r = 0; end\n"]; ...
%!                    'pkg', ["function r = pkg(varargin)\n", "r = {};\n"]});
%!   unwind_protect
%!     lastwarn('');
%!     printed = evalc(['plorvent_file(input, output, 31, ''symmetric'', ''Workers'', 2, ' ...
%!                      '''Verbose'', true);']);
%!     [~, id] = lastwarn();
%!     assert(id, 'plorvent:noParallelEngine');
%!     assert(numel(strfind(printed, 'plorvent_file: outputs')), 2);  % a line a range
%!     assert(typecast(read_samples(output), 'uint64'), expected);
%!   unwind_protect_cleanup
%!     remove(hidden);
%!   end_unwind_protect
%!   assert(read_samples(input), x);
%! unwind_protect_cleanup
%!   remove(folder);
%! end_unwind_protect

%!test  # range refusals: each with its identifier, input and any existing output unchanged
%! folder = tempname();
%! mkdir(folder);
%! unwind_protect
%!   input = fullfile(folder, 'in.bin');
%!   output = fullfile(folder, 'out.bin');
%!   empty = fullfile(folder, 'empty.bin');
%!   write_samples(input, [3 1 2 5 4]);
%!   write_samples(output, [7 7 7]);
%!   write_samples(empty, []);
%!   link(input, fullfile(folder, 'hard.bin'));
%!   refusals = {
%!     'plorvent:rangeOutsideSignal', {input, output, 3, 'Range', [0 5]}
%!     'plorvent:rangeOutsideSignal', {input, output, 3, 'Range', [5 6]}
%!     'plorvent:rangeOutsideSignal', {empty, output, 3, 'Range', [1 1]}
%!     'plorvent:reversedRange',      {input, output, 3, 'Range', [4 3]}
%!     'plorvent:wrongOutputSize',    {input, output, 3, 'Range', [1 5]}
%!     'plorvent:sameFile',           {input, fullfile(folder, 'hard.bin'), 3, 'Range', [1 2]}
%!     'plorvent:cannotWriteFile',    {input, folder, 3, 'Range', [1 2]}
%!     'plorvent:invalidOptionValue', {input, output, 3, 'Range', [1.5 2]}
%!     'plorvent:invalidOptionValue', {input, output, 3, 'Range', 2}
%!     'plorvent:invalidOptionValue', {input, output, 3, 'Workers', 0}
%!     'plorvent:invalidOptionValue', {input, output, 3, 'Verbose', 'yes'}
%!     'plorvent:missingOptionValue', {input, output, 3, 'Range'}};
%!   for k = 1:rows(refusals)
%!     try
%!       plorvent_file(refusals{k, 2}{:});
%!       error('no error');
%!     catch err
%!       assert(err.identifier, refusals{k, 1}, sprintf('refusal %d: %s', k, err.message));
%!     end
%!   end
%!   assert(read_samples(input), [3; 1; 2; 5; 4]);
%!   assert(read_samples(output), [7; 7; 7]);
%!   assert({dir(folder).name}, {'.', '..', 'empty.bin', 'hard.bin', 'in.bin', 'out.bin'});
%! unwind_protect_cleanup
%!   remove(folder);
%! end_unwind_protect
